#include "app/differencesdialog.h"

#include "config/configform.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

QDialog *showDifferences(QWidget *parent, const QList<config::Difference> &diffs, const DifferencesView &view)
{
    const config::Catalog &catalog = config::windowCatalog();
    auto *dialog = new QDialog(parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(view.title);
    auto *layout = new QVBoxLayout(dialog);
    layout->addWidget(new QLabel(view.heading, dialog));
    QStringList headers{QStringLiteral("Страница"), QStringLiteral("Настройка")};
    if (view.nameColumn)
        headers << QStringLiteral("Имя");
    headers << view.first << view.second;
    auto *table = new QTableWidget(int(diffs.size()), int(headers.size()), dialog);
    table->setObjectName(QStringLiteral("differences"));
    table->setHorizontalHeaderLabels(headers);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->verticalHeader()->hide();
    for (int row = 0; row < diffs.size(); ++row) {
        const config::Difference &d = diffs[row];
        QStringList cells{catalog.pageTitle(d.control->page), d.control->caption};
        if (view.nameColumn)
            cells << d.control->name;
        cells << catalog.shown(*d.control, d.a) << catalog.shown(*d.control, d.b);
        for (int col = 0; col < cells.size(); ++col) {
            auto *item = new QTableWidgetItem(cells[col]);
            if (!view.nameColumn)
                item->setToolTip(d.control->name);
            table->setItem(row, col, item);
        }
    }
    table->resizeColumnsToContents();
    table->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    layout->addWidget(table);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, dialog);
    buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("Закрыть"));
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    layout->addWidget(buttons);
    dialog->resize(view.size);
    dialog->show();
    return dialog;
}
