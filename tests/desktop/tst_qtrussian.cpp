// Qt's own parts of the real window speak Russian on a system set to another language:
// the file dialog behind "Открыть конфигурацию…", a text box's context menu, an error
// box's details button.
#include "app/configurationmenu.h"
#include "app/russiantexts.h"
#include "app/tform1.h"
#include "ui/desktop.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

class TestQtRussian : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void qtTextsAreRussian_data();
    void qtTextsAreRussian();

private:
    QStringList shownTexts(const QString &part);

    QTemporaryDir m_ports;
    std::unique_ptr<TForm1> m_form;
};

namespace {

QStringList buttonTexts(const QList<QAbstractButton *> &buttons)
{
    QStringList texts;
    for (const QAbstractButton *button : buttons)
        texts << button->text();
    return texts;
}

// Runs `open`, which shows a modal dialog and waits for it, and reads the dialog's
// buttons while it is open.
template<typename Dialog>
QStringList buttonsOfModal(const std::function<void()> &open)
{
    QStringList texts{QStringLiteral("<no dialog>")};
    QTimer::singleShot(0, [&texts] {
        QWidget *modal = QApplication::activeModalWidget();
        if (auto *dialog = qobject_cast<Dialog *>(modal))
            texts = buttonTexts(dialog->template findChildren<QAbstractButton *>());
        if (modal)
            modal->close();
    });
    open();
    return texts;
}

} // namespace

void TestQtRussian::initTestCase()
{
    // A system set to English: the texts must not follow it.
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QVERIFY2(useRussianTexts(), "Qt's Russian texts not found: run scripts/install-deps.sh (qt6-translations-l10n)");
    m_form = std::make_unique<TForm1>(PortMap(m_ports.path(), {}));
    m_form->show();
}

QStringList TestQtRussian::shownTexts(const QString &part)
{
    if (part == u"file dialog") {
        auto *menu = m_form->findChild<ConfigurationMenu *>();
        return buttonsOfModal<QFileDialog>([menu] { menu->openAction()->trigger(); });
    }
    if (part == u"error box") {
        return buttonsOfModal<QMessageBox>(
            [] { SystemDesktop().showError(QStringLiteral("Ошибка открытия порта"), QStringLiteral("detail")); });
    }
    // The menu a right click on a text box shows.
    std::unique_ptr<QMenu> menu(m_form->findChild<QLineEdit *>(QStringLiteral("Edit1"))->createStandardContextMenu());
    QStringList texts;
    for (const QAction *action : menu->actions())
        texts << action->text().section(QLatin1Char('\t'), 0, 0);
    return texts;
}

void TestQtRussian::qtTextsAreRussian_data()
{
    QTest::addColumn<QString>("part");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("file dialog: open and cancel") << "file dialog" << QStringList{"&Открыть", "Отмена"};
    QTest::newRow("text box context menu")
        << "context menu"
        << QStringList{"&Отменить действие", "&Повторить действие", "&Вырезать", "&Копировать", "В&ставить",
                       "Удалить", "Выделить всё"};
    QTest::newRow("error box: details") << "error box" << QStringList{"Показать подробности..."};
}

void TestQtRussian::qtTextsAreRussian()
{
    QFETCH(QString, part);
    QFETCH(QStringList, expected);
    const QStringList shown = shownTexts(part);
    for (const QString &text : expected)
        QVERIFY2(shown.contains(text), qPrintable(text + QStringLiteral(" not in: ") + shown.join(QStringLiteral(" | "))));
}

QTEST_MAIN(TestQtRussian)
#include "tst_qtrussian.moc"
