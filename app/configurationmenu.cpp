#include "app/configurationmenu.h"

#include "app/differencesdialog.h"

#include "app/windowactions.h"

#include "config/configform.h"
#include "config/writeplan.h"
#include "net/portnames.h"
#include "report/pdf.h"
#include "report/sheet.h"
#include "ui/desktop.h"

#include <QAction>
#include <QCheckBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QContextMenuEvent>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

const char kFilter[] = "Конфигурации Tavrix (*.cfg);;Все файлы (*)";

} // namespace

SheetChoiceDialog::SheetChoiceDialog(QWidget *parent, const SheetChoice &start) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Отчёт о конфигурации"));
    auto *layout = new QVBoxLayout(this);
    m_mask = new QCheckBox(QStringLiteral("Скрыть номера и пароли"), this);
    m_mask->setObjectName(QStringLiteral("maskSecrets"));
    m_mask->setChecked(start.mask);
    layout->addWidget(m_mask);
    auto *fields = new QFormLayout;
    const auto field = [&](QLineEdit *&edit, const char *name, const QString &label, const QString &text) {
        edit = new QLineEdit(text, this);
        edit->setObjectName(QLatin1String(name));
        edit->setPlaceholderText(QStringLiteral("не указано — строка для записи от руки"));
        fields->addRow(label, edit);
    };
    field(m_site, "sheetSite", QStringLiteral("Объект:"), start.handover.site);
    field(m_customer, "sheetCustomer", QStringLiteral("Заказчик:"), start.handover.customer);
    field(m_installer, "sheetInstaller", QStringLiteral("Установщик:"), start.handover.installer);
    layout->addLayout(fields);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Сохранить…"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Отмена"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(420, sizeHint().height());
}

SheetChoice SheetChoiceDialog::choice() const
{
    SheetChoice out;
    out.mask = m_mask->isChecked();
    out.handover.site = m_site->text().trimmed();
    out.handover.customer = m_customer->text().trimmed();
    out.handover.installer = m_installer->text().trimmed();
    return out;
}

ConfigurationMenu::ConfigurationMenu(QWidget *form, QWidget *connectionBar, Controls &controls)
    : QObject(form), m_form(form), m_controls(controls)
{
    m_save = new QAction(QStringLiteral("Сохранить конфигурацию…"), this);
    m_save->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    m_open = new QAction(QStringLiteral("Открыть конфигурацию…"), this);
    m_open->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    m_compare = new QAction(QStringLiteral("Сравнить с файлом…"), this);
    m_report = new QAction(QStringLiteral("Отчёт о конфигурации…"), this);
    m_report->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    m_save->setObjectName(QStringLiteral("saveConfiguration"));
    m_open->setObjectName(QStringLiteral("openConfiguration"));
    m_compare->setObjectName(QStringLiteral("compareConfiguration"));
    m_report->setObjectName(QStringLiteral("reportConfiguration"));
    for (QAction *action : {m_save, m_open, m_compare, m_report})
        action->setShortcutContext(Qt::WindowShortcut);
    // The shortcuts work anywhere in the window, the menu shows them.
    form->addAction(m_save);
    form->addAction(m_open);
    form->addAction(m_report);

    connect(m_save, &QAction::triggered, this, &ConfigurationMenu::chooseAndSave);
    connect(m_open, &QAction::triggered, this, &ConfigurationMenu::chooseAndOpen);
    connect(m_compare, &QAction::triggered, this, &ConfigurationMenu::chooseAndCompare);
    connect(m_report, &QAction::triggered, this, &ConfigurationMenu::chooseAndReport);

    // Every part of the bar offers the menu, its buttons and the port list too (which
    // would otherwise keep the right click to themselves).
    m_bar = connectionBar;
    connectionBar->installEventFilter(this);
    for (QWidget *child : connectionBar->findChildren<QWidget *>())
        child->installEventFilter(this);
}

bool ConfigurationMenu::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ContextMenu) {
        showMenu(static_cast<QContextMenuEvent *>(event)->globalPos());
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void ConfigurationMenu::showMenu(const QPoint &globalPos)
{
    // The same table as the window's menu bar, so an entry added there is offered here too.
    QMenu menu(m_bar);
    for (QAction *action : contextMenuActions(m_form, m_more)) {
        if (action)
            menu.addAction(action);
        else
            menu.addSeparator();
    }
    menu.exec(globalPos);
}

QString ConfigurationMenu::startFolder() const
{
    return m_lastPath.isEmpty() ? QDir::homePath() : m_lastPath;
}

void ConfigurationMenu::chooseAndSave()
{
    QString path = QFileDialog::getSaveFileName(m_form, QStringLiteral("Сохранить конфигурацию"), startFolder(),
                                                QString::fromUtf8(kFilter));
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".cfg");
    saveTo(path);
}

void ConfigurationMenu::chooseAndOpen()
{
    const QString path = QFileDialog::getOpenFileName(m_form, QStringLiteral("Открыть конфигурацию"), startFolder(),
                                                      QString::fromUtf8(kFilter));
    if (!path.isEmpty())
        openFrom(path);
}

void ConfigurationMenu::chooseAndCompare()
{
    const QString path = QFileDialog::getOpenFileName(m_form, QStringLiteral("Сравнить с файлом"), startFolder(),
                                                      QString::fromUtf8(kFilter));
    if (!path.isEmpty())
        compareWith(path);
}

void ConfigurationMenu::chooseAndReport()
{
    SheetChoice choice;
    QString path;
    if (askSheet(m_form, &choice, &path))
        reportTo(path, choice);
}

bool ConfigurationMenu::askSheet(QWidget *owner, SheetChoice *choice, QString *path)
{
    // Hiding is the default every time: the customer's copy is the usual one.
    SheetChoiceDialog ask(owner, {true, m_handover});
    if (ask.exec() != QDialog::Accepted)
        return false;
    *choice = ask.choice();
    m_handover = choice->handover;
    const QString pdf = QStringLiteral("Документ PDF (*.pdf)");
    const QString html = QStringLiteral("Страница HTML (*.html *.htm)");
    QString chosen;
    *path = QFileDialog::getSaveFileName(owner, QStringLiteral("Отчёт о конфигурации"), startFolder(),
                                         pdf + QStringLiteral(";;") + html, &chosen);
    if (path->isEmpty())
        return false;
    if (!report::isSheetName(*path))
        *path += chosen == html ? QStringLiteral(".html") : QStringLiteral(".pdf");
    return true;
}

bool ConfigurationMenu::reportTo(const QString &path, const SheetChoice &choice)
{
    report::Origin origin;
    // Whichever came last: the controller's read or the file opened.
    const report::ControllerRead read = sheetSource ? sheetSource() : report::ControllerRead{};
    const bool fileLater = !m_openedFile.isEmpty() && (read.com <= 0 || m_openedAt >= read.at);
    const config::Catalog &catalog = config::windowCatalog();
    if (fileLater) {
        origin.source = m_openedSource;
        if (!catalog.compare(m_opened, catalog.capture(m_controls)).isEmpty())
            origin.source = report::changedInWindow(origin.source);
    } else if (read.com > 0) {
        origin.source = report::readFromController(portnames::name(read.com), read.at);
        if (read.changedSince)
            origin.source = report::changedInWindow(origin.source);
    } else {
        origin.source = report::composedInWindow();
    }
    return writeSheet(m_controls, origin, path, choice);
}

bool ConfigurationMenu::reportOf(const config::Configuration &cfg, const QString &source, const QString &path,
                                 const SheetChoice &choice)
{
    config::ConfigForm form;
    config::windowCatalog().apply(form.controls(), cfg);
    report::Origin origin;
    origin.source = source;
    return writeSheet(form.controls(), origin, path, choice);
}

bool ConfigurationMenu::writeSheet(const Controls &controls, report::Origin origin, const QString &path,
                                   const SheetChoice &choice)
{
    origin.version = report::configuratorVersion();
    origin.mask = choice.mask;
    origin.handover = choice.handover;
    const report::Sheet sheet = report::build(config::windowCatalog(), controls, origin);
    QString error;
    if (!report::write(sheet, path, report::drawPdf, &error)) {
        Desktop::instance().showError(QStringLiteral("Отчёт не сохранён: %1: %2").arg(path, error));
        return false;
    }
    m_lastPath = path;
    Desktop::instance().showInformation(QStringLiteral("Отчёт о конфигурации сохранён: %1").arg(path));
    return true;
}

bool ConfigurationMenu::saveTo(const QString &path)
{
    const config::Catalog &catalog = config::windowCatalog();
    QString error;
    // The file holds what a write of the window stores in a controller, in the forms a
    // read shows, so that it opens again and restores exactly that.
    if (!config::save(path, catalog.render(config::storedForm(m_controls)), &error)) {
        Desktop::instance().showError(QStringLiteral("Конфигурация не сохранена: %1: %2").arg(path, error));
        return false;
    }
    m_lastPath = path;
    emit inStepWithFile();
    return true;
}

bool ConfigurationMenu::loadFile(const QString &path, const QString &refusal, config::Configuration *cfg)
{
    // A refused file is reported whole, once, and changes nothing.
    if (const auto error = config::load(path, config::windowCatalog(), cfg)) {
        Desktop::instance().showError(refusal.arg(error->message()));
        return false;
    }
    m_lastPath = path;
    return true;
}

bool ConfigurationMenu::openFrom(const QString &path)
{
    config::Configuration cfg;
    if (!loadFile(path, QStringLiteral("Конфигурация не открыта: %1"), &cfg))
        return false;
    openConfiguration(cfg, path, report::readFromFile(path));
    return true;
}

void ConfigurationMenu::openConfiguration(const config::Configuration &cfg, const QString &name, const QString &source)
{
    const config::Catalog &catalog = config::windowCatalog();
    const QList<config::Change> changed = catalog.applyNoting(m_controls, cfg);
    m_openedFile = name;
    m_openedSource = source;
    m_openedAt = QDateTime::currentDateTime();
    m_opened = catalog.capture(m_controls);
    emit inStepWithFile();
    // Nothing the file says is changed silently: one box names what the page rules
    // set otherwise.
    if (!changed.isEmpty()) {
        QStringList lines{QStringLiteral("Правила страниц изменили значения из файла %1:").arg(name)};
        for (const config::Change &c : changed) {
            const QString where = c.control->caption.isEmpty()
                                      ? catalog.pageTitle(c.control->page)
                                      : catalog.pageTitle(c.control->page) + QStringLiteral(": ") + c.control->caption;
            lines << QStringLiteral("%1 (%2, строка %3): в файле %4, в окне %5")
                         .arg(c.control->name, where)
                         .arg(c.line)
                         .arg(config::excerpt(catalog.shown(*c.control, c.named)),
                              config::excerpt(catalog.shown(*c.control, c.now)));
        }
        Desktop::instance().showInformation(lines.join(QLatin1Char('\n')));
    }
}

QDialog *ConfigurationMenu::compareWith(const QString &path)
{
    const config::Catalog &catalog = config::windowCatalog();
    config::Configuration file;
    if (!loadFile(path, QStringLiteral("Сравнение невозможно: %1"), &file))
        return nullptr;
    // The window's configuration as a write would store it, as the file holds it too.
    const QList<config::Difference> diffs = catalog.compare(config::storedForm(m_controls), file);
    if (diffs.isEmpty()) {
        Desktop::instance().showInformation(QStringLiteral("Настройки в окне совпадают с файлом %1").arg(path));
        return nullptr;
    }

    delete m_dialog;
    m_dialog = showDifferences(m_form, diffs,
                               {QStringLiteral("Сравнение с %1").arg(QFileInfo(path).fileName()),
                                QStringLiteral("Отличается настроек: %1 (файл %2)").arg(diffs.size()).arg(path),
                                QStringLiteral("В окне"), QStringLiteral("В файле"), false, QSize(700, 360)});
    return m_dialog;
}
