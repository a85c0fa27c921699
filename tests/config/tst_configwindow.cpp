// Configuration files in the window: the menu on the connection bar, the shortcuts, and
// what saving, opening and comparing do to the controls.
#include "generated.h"

#include "app/configurationmenu.h"
#include "app/journalwindow.h"
#include "app/russiantexts.h"
#include "app/tform1.h"
#include "config/configform.h"
#include "config/backups.h"
#include "link/exchangejournal.h"
#include "records/records.h"
#include "sim/simulator.h"
#include "tests/support/ptypeer.h"
#include "tests/support/recordingdesktop.h"
#include "ui/widgetcontrols.h"

#include <QAction>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTextDocumentFragment>
#include <QtTest>

using namespace config;

class TestConfigWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void connectionBarMenuAndShortcuts();
    void savedFileOpensToTheSameRecord();
    void refusedFileLeavesTheWindowAlone();
    void compareListsTheDifferingControls();
    void openingTellsWhatTheRulesChanged();
    void hostileFileIsRefusedInAShortBox_data();
    void hostileFileIsRefusedInAShortBox();
    void exchangeJournalFollowsTheLine();
    void sheetOfWhatThePagesHold();
    void snapshotBeforeEveryWrite_data();
    void snapshotBeforeEveryWrite();

private:
    std::unique_ptr<TForm1> newForm() { return std::make_unique<TForm1>(PortMap(m_dir->path(), {})); }
    static ConfigurationMenu *menuOf(TForm1 &form) { return form.findChild<ConfigurationMenu *>(); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<RecordingDesktop> m_desktop;
};

void TestConfigWindow::initTestCase()
{
    // As the program does: the window's messages are Russian whatever the system says.
    useRussianTexts();
}

void TestConfigWindow::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_desktop = std::make_unique<RecordingDesktop>();
}

void TestConfigWindow::cleanup()
{
    m_desktop.reset();
    m_dir.reset();
}

void TestConfigWindow::connectionBarMenuAndShortcuts()
{
    auto form = newForm();
    ConfigurationMenu *menu = menuOf(*form);
    QVERIFY(menu);
    QCOMPARE(menu->saveAction()->shortcut(), QKeySequence(QStringLiteral("Ctrl+S")));
    QCOMPARE(menu->openAction()->shortcut(), QKeySequence(QStringLiteral("Ctrl+O")));
    QCOMPARE(menu->reportAction()->shortcut(), QKeySequence(QStringLiteral("Ctrl+P")));
    QVERIFY(form->actions().contains(menu->reportAction()));
    QVERIFY(form->actions().contains(menu->saveAction()));
    QVERIFY(form->actions().contains(menu->openAction()));

    // A right click anywhere on the bar: its empty part, the port list, a button that is
    // disabled while not connected.
    for (const char *target : {"GroupBox3", "ComboBox1", "ButtWrite"}) {
        auto *w = form->findChild<QWidget *>(QLatin1String(target));
        QVERIFY(w);
        QStringList shown;
        QTimer::singleShot(0, this, [&shown] {
            if (auto *popup = qobject_cast<QMenu *>(QApplication::activePopupWidget())) {
                for (QAction *a : popup->actions()) {
                    if (!a->isSeparator())
                        shown << a->text();
                }
                popup->close();
            }
        });
        QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(2, 2), w->mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(w, &click);
        QCOMPARE(shown, (QStringList{"Сохранить конфигурацию…", "Открыть конфигурацию…", "Сравнить с файлом…",
                                     "Отчёт о конфигурации…", "Журнал обмена…", "Серийная запись…",
                                     "Вернуть прежние настройки", "Объекты…", "Подключиться по сети…",
                                     "Забыть адрес"}));
    }
}

void TestConfigWindow::savedFileOpensToTheSameRecord()
{
    const Catalog &catalog = windowCatalog();
    const quint32 seed = QRandomGenerator::global()->generate();
    QRandomGenerator g(seed);
    auto original = newForm();
    catalog.apply(original->controls(), generatedConfiguration(catalog, g));
    const QString path = m_dir->filePath(QStringLiteral("saved.cfg"));
    QVERIFY(menuOf(*original)->saveTo(path));

    auto other = newForm();
    QVERIFY(menuOf(*other)->openFrom(path));
    QVERIFY2(m_desktop->boxes.isEmpty(), qPrintable(m_desktop->texts().join(QLatin1Char('\n'))));
    // It stores what the window's own write stores, as a read of it shows: a window that
    // reads that record writes back the same bytes.
    ConfigForm reader;
    records::applySettings(reader.controls(), "READ_SET_" + records::buildSettings(original->controls()) + '\r', 9);
    QVERIFY2(records::buildSettings(other->controls()) == records::buildSettings(reader.controls()),
             qPrintable(QStringLiteral("seed %1").arg(seed)));
    QVERIFY(!other->channel().isOpen());

    // The server switch is on from the start with its boxes greyed; a read enables them
    // and so does a file that names the switch.
    const QString server = m_dir->filePath(QStringLiteral("server.cfg"));
    QFile file(server);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("# tavrix-configuration 1\nCheckBox57 = 1\n");
    file.close();
    auto fresh = newForm();
    QVERIFY(!fresh->findChild<QWidget *>(QStringLiteral("Edit35"))->isEnabled());
    QVERIFY(menuOf(*fresh)->openFrom(server));
    for (const char *name : {"Edit35", "Edit37", "Edit40"})
        QVERIFY2(fresh->findChild<QWidget *>(QLatin1String(name))->isEnabled(), name);
}

void TestConfigWindow::refusedFileLeavesTheWindowAlone()
{
    const QString path = m_dir->filePath(QStringLiteral("bad.cfg"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("# tavrix-configuration 1\nEdit34 = internet\nCheckBox1 = yes\n");
    file.close();

    auto form = newForm();
    const Configuration before = windowCatalog().capture(form->controls());
    QVERIFY(!menuOf(*form)->openFrom(path));
    QCOMPARE(m_desktop->boxes.size(), 1);
    QVERIFY(m_desktop->boxes.first().error);
    // The reason comes from the file reader's words, in the window's language.
    QVERIFY2(m_desktop->boxes.first().text.contains(path + QStringLiteral(":3: CheckBox1 принимает 0 или 1")),
             qPrintable(m_desktop->boxes.first().text));
    QCOMPARE(windowCatalog().compare(before, windowCatalog().capture(form->controls())).size(), 0);
}

void TestConfigWindow::compareListsTheDifferingControls()
{
    auto form = newForm();
    const QString path = m_dir->filePath(QStringLiteral("now.cfg"));
    QVERIFY(menuOf(*form)->saveTo(path));
    QCOMPARE(menuOf(*form)->compareWith(path), nullptr);
    QCOMPARE(m_desktop->boxes.size(), 1);
    QVERIFY(!m_desktop->boxes.first().error);

    form->controls().setText(QStringLiteral("Edit34"), QStringLiteral("internet"));
    form->controls().setIndex(QStringLiteral("ComboBox22"), 2);
    QDialog *dialog = menuOf(*form)->compareWith(path);
    QVERIFY(dialog);
    auto *table = dialog->findChild<QTableWidget *>(QStringLiteral("differences"));
    QCOMPARE(table->rowCount(), 2);
    QStringList rows;
    for (int r = 0; r < table->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < table->columnCount(); ++c)
            cells << table->item(r, c)->text();
        rows << cells.join(QLatin1String(" | "));
    }
    QVERIFY2(rows[0].startsWith(QStringLiteral("Настройки | ")) && rows[0].endsWith(QStringLiteral("| 2 (20 сек.) | 6 (60 сек.)")),
             qPrintable(rows[0]));
    QVERIFY2(rows[1].startsWith(QStringLiteral("GPRS-канал | ")) && rows[1].endsWith(QStringLiteral("| \"internet\" | \"www.ab.kyivstar.net\"")),
             qPrintable(rows[1]));
}

void TestConfigWindow::openingTellsWhatTheRulesChanged()
{
    const QString path = m_dir->filePath(QStringLiteral("rules.cfg"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("# tavrix-configuration 1\nCheckBox1 = 0\nCheckBox3 = 1\n");
    file.close();
    auto form = newForm();
    QVERIFY(menuOf(*form)->openFrom(path));
    QCOMPARE(m_desktop->boxes.size(), 1);
    QVERIFY(!m_desktop->boxes.first().error);
    const QStringList lines = m_desktop->boxes.first().text.split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 2);
    QVERIFY2(lines[1].startsWith(QStringLiteral("CheckBox1 (Телефоны и SMS: ")) && lines[1].endsWith(QStringLiteral("строка 2): в файле 0, в окне 1")),
             qPrintable(lines[1]));
    QVERIFY(form->controls().checked(QStringLiteral("CheckBox1")));
}

void TestConfigWindow::hostileFileIsRefusedInAShortBox_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("a long unknown name") << "# tavrix-configuration 1\n" + QByteArray(200000, 'A') + " = 1\n";
    QTest::newRow("a long text") << "# tavrix-configuration 1\nEdit19 = " + QByteArray(200000, 'x') + "\n";
    QTest::newRow("a long version") << "# tavrix-configuration " + QByteArray(200000, '9') + "\n";
    QTest::newRow("80,000 lines, the last one bad")
        << "# tavrix-configuration 1\n" + QByteArray("# note\n").repeated(80000) + "CheckBox1 = 2\n";
}

// A refusal quotes at most about 40 characters of what the file holds.
void TestConfigWindow::hostileFileIsRefusedInAShortBox()
{
    QFETCH(QByteArray, text);
    const QString path = m_dir->filePath(QStringLiteral("hostile.cfg"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text);
    file.close();
    auto form = newForm();
    QVERIFY(!menuOf(*form)->openFrom(path));
    QCOMPARE(m_desktop->boxes.size(), 1);
    const QString shown = m_desktop->boxes.first().text;
    QVERIFY2(shown.size() < path.size() + 200, qPrintable(shown));
}

void TestConfigWindow::exchangeJournalFollowsTheLine()
{
    auto form = newForm();
    PtyPeer peer(m_dir->filePath(QStringLiteral("ports")), 5);
    QVERIFY(form->channel().open(peer.slavePath()));
    form->channel().write("READ_SET\r");

    QAction *open = nullptr;
    for (QAction *a : form->actions()) {
        if (a->text() == QStringLiteral("Журнал обмена…"))
            open = a;
    }
    QVERIFY(open);
    QCOMPARE(open->shortcut(), QKeySequence(QStringLiteral("Ctrl+J")));
    open->trigger();
    auto *window = form->findChild<JournalWindow *>();
    QVERIFY(window);
    QVERIFY(window->isVisible() && window->isWindow() && !window->isModal());
    QCOMPARE(window->windowTitle(), QStringLiteral("Журнал обмена"));
    QCOMPARE(window->saveButton()->text(), QStringLiteral("Сохранить журнал…"));
    QCOMPARE(window->clearButton()->text(), QStringLiteral("Очистить"));
    // What went out before it opened is there, and what comes in shows up as it comes.
    // (Where no font draws ␍, the view spells it <CR>; the saved text keeps ␍.)
    QVERIFY2(window->view()->toPlainText().endsWith(window->shown(QStringLiteral("→      9  READ_SET␍"))),
             qPrintable(window->view()->toPlainText()));
    peer.send("READ_SET_\xcf\xee\xe4 1\r");
    QTRY_COMPARE(form->channel().bytesWaiting(), qint64(15));
    char buffer[64];
    QCOMPARE(form->channel().read(buffer, sizeof buffer), qint64(15));
    QCOMPARE(window->view()->blockCount(), 2);
    QVERIFY2(window->view()->toPlainText().endsWith(window->shown(QStringLiteral("←     15  READ_SET_Под 1␍"))),
             qPrintable(window->view()->toPlainText()));
    // The one window comes forward again.
    open->trigger();
    QCOMPARE(form->findChildren<JournalWindow *>().size(), 1);

    const QString path = m_dir->filePath(QStringLiteral("journal.txt"));
    QVERIFY(window->saveTo(path));
    QFile saved(path);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(saved.readAll());
    QVERIFY2(text.startsWith(QStringLiteral("# Журнал обмена")), qPrintable(text));
    QCOMPARE(text.count(QStringLiteral("READ_SET")), 2);
    QVERIFY(text.contains(QStringLiteral("READ_SET_Под 1␍\n")));
    QVERIFY(m_desktop->boxes.isEmpty());
    QVERIFY(!window->saveTo(m_dir->filePath(QStringLiteral("no/such/folder/journal.txt"))));
    QCOMPARE(m_desktop->boxes.size(), 1);
    QVERIFY(m_desktop->boxes.first().error);

    window->clearButton()->click();
    QVERIFY(form->journal().entries().empty());
    QCOMPARE(window->view()->toPlainText(), QString());
}

void TestConfigWindow::sheetOfWhatThePagesHold()
{
    sim::Simulator device; // listed with the window's ports, connected to later
    QVERIFY(device.start(m_dir->path(), 1));
    auto form = newForm();
    form->controls().setText(QStringLiteral("Edit2"), QStringLiteral("+380671112233"));
    form->controls().setText(QStringLiteral("Edit31"), QStringLiteral("5291"));
    const QString path = m_dir->filePath(QStringLiteral("sheet.html"));
    const auto sheet = [&] {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? QTextDocumentFragment::fromHtml(QString::fromUtf8(file.readAll())).toPlainText()
                                              : QString();
    };
    SheetChoice plain;
    plain.mask = false;
    plain.handover.site = QStringLiteral("Склад №5");
    QVERIFY(menuOf(*form)->reportTo(path, plain));
    QString page = sheet();
    QVERIFY(page.contains(QStringLiteral("+380671112233")));
    QVERIFY(page.contains(QStringLiteral("5291")));
    QVERIFY(page.contains(QStringLiteral("Склад №5")));
    QVERIFY2(page.contains(QStringLiteral("Составлено в окне конфигуратора")), qPrintable(page));
    // The window's controls are left as they are: the record is built from a copy.
    QCOMPARE(form->controls().text(QStringLiteral("Edit2")), QStringLiteral("+380671112233"));

    // The customer's copy, the default: numbers by their last three characters, the
    // password not at all.
    QVERIFY(menuOf(*form)->reportTo(path));
    page = sheet();
    QVERIFY(!page.contains(QStringLiteral("+380671112233")) && page.contains(QStringLiteral("**********233")));
    QVERIFY(!page.contains(QStringLiteral("5291")) && page.contains(QStringLiteral("скрыт")));
    {
        SheetChoiceDialog ask(form.get(), {true, plain.handover});
        auto *mask = ask.findChild<QCheckBox *>(QStringLiteral("maskSecrets"));
        QVERIFY(mask && mask->isChecked());
        QCOMPARE(mask->text(), QStringLiteral("Скрыть номера и пароли"));
        mask->setChecked(false);
        ask.findChild<QLineEdit *>(QStringLiteral("sheetInstaller"))->setText(QStringLiteral("  Петренко П. П. "));
        const SheetChoice chosen = ask.choice();
        QVERIFY(!chosen.mask);
        QCOMPARE(chosen.handover.site, QStringLiteral("Склад №5"));
        QCOMPARE(chosen.handover.installer, QStringLiteral("Петренко П. П."));
    }

    // The source is whatever came last: a file opened, the controller read, the file again.
    const QString cfg = m_dir->filePath(QStringLiteral("site.cfg"));
    QVERIFY(menuOf(*form)->saveTo(cfg));
    QVERIFY(menuOf(*form)->openFrom(cfg));
    QVERIFY(menuOf(*form)->reportTo(path));
    QVERIFY2(sheet().contains(QStringLiteral("Из файла site.cfg")), qPrintable(sheet()));
    const qsizetype boxes = m_desktop->boxes.size();
    form->control<QPushButton>("OpenClose")->click();
    QTRY_VERIFY_WITH_TIMEOUT(m_desktop->boxes.size() > boxes, 10000);
    QCOMPARE(m_desktop->boxes.last().text, QStringLiteral("Чтение НАСТРОЕК прошло успешно"));
    QVERIFY(menuOf(*form)->reportTo(path));
    page = sheet();
    QVERIFY2(QRegularExpression(QStringLiteral("Прочитано с контроллера \\(COM1\\), \\d\\d\\.\\d\\d\\.\\d{4} \\d\\d:\\d\\d\\s"))
                 .match(page).hasMatch(), qPrintable(page));
    QVERIFY(!page.contains(QLatin1String("/dev/")) && !page.contains(m_dir->path()));
    QVERIFY(!page.contains(QStringLiteral("изменено")));
    // Changed in the window since: the sheet says so.
    form->controls().setText(QStringLiteral("Edit3"), QStringLiteral("+380501234567"));
    QVERIFY(menuOf(*form)->reportTo(path));
    QVERIFY2(QRegularExpression(QStringLiteral("\\(COM1\\), [\\d.]+ [\\d:]+, изменено в окне")).match(sheet()).hasMatch(), qPrintable(sheet()));
    QVERIFY(menuOf(*form)->openFrom(cfg));
    QVERIFY(menuOf(*form)->reportTo(path));
    page = sheet();
    QVERIFY(page.contains(QStringLiteral("Из файла site.cfg")) && !page.contains(QStringLiteral("изменено")));
    form->controls().setText(QStringLiteral("Edit3"), QStringLiteral("+380501234567"));
    QVERIFY(menuOf(*form)->reportTo(path));
    QVERIFY(sheet().contains(QStringLiteral("Из файла site.cfg, изменено в окне")));

    QVERIFY(!menuOf(*form)->reportTo(m_dir->filePath(QStringLiteral("no/such/folder/sheet.pdf"))));
    QVERIFY(m_desktop->boxes.last().error);
}

void TestConfigWindow::snapshotBeforeEveryWrite_data()
{
    QTest::addColumn<bool>("writable");
    QTest::addColumn<int>("storedOtherwise"); // the revert's record is stored with this byte changed; -1: none
    QTest::newRow("folder writable") << true << -1;
    QTest::newRow("folder cannot be made") << false << -1;
    QTest::newRow("revert stored otherwise") << true << 40;
}

void TestConfigWindow::snapshotBeforeEveryWrite()
{
    QFETCH(bool, writable);
    QFETCH(int, storedOtherwise);
    const QString stateHome = m_dir->filePath(QStringLiteral("state"));
    if (!writable) {
        QFile blocker(stateHome); // a file where the folder would have to be
        QVERIFY(blocker.open(QIODevice::WriteOnly));
    }
    const QByteArray oldState = qgetenv("XDG_STATE_HOME");
    qputenv("XDG_STATE_HOME", stateHome.toUtf8());
    const auto restore = qScopeGuard([&] { qputenv("XDG_STATE_HOME", oldState); });
    const QString folder = backups::folder();

    sim::Simulator device;
    QVERIFY(device.start(m_dir->path(), 1));
    auto form = std::make_unique<TForm1>(PortMap(m_dir->path(), {}));
    const auto box = [&](int n) {
        return QTest::qWaitFor([&] { return m_desktop->boxes.size() >= n; }, 10000) ? m_desktop->boxes.at(n - 1).text
                                                                                   : QStringLiteral("<no box>");
    };
    QAction *revert = nullptr;
    for (QAction *a : form->findChildren<QAction *>()) {
        if (a->text() == QStringLiteral("Вернуть прежние настройки"))
            revert = a;
    }
    QVERIFY(revert);
    form->control<QPushButton>("OpenClose")->click();
    QCOMPARE(box(1), QStringLiteral("Чтение НАСТРОЕК прошло успешно"));
    QVERIFY(!revert->isEnabled());
    const QByteArray before = device.record();
    const int siren = form->controls().index(QStringLiteral("ComboBox22"));
    form->controls().setIndex(QStringLiteral("ComboBox22"), siren == 4 ? 5 : 4);

    const auto sentWrites = [&] {
        int n = 0;
        for (const ExchangeJournal::Entry &e : form->journal().entries())
            n += e.direction == ExchangeJournal::Direction::Sent && e.bytes.startsWith("WRITE_SET_");
        return n;
    };
    form->control<QPushButton>("ButtWrite")->click();
    if (!writable) {
        QCOMPARE(m_desktop->boxes.size(), 2);
        QVERIFY(m_desktop->boxes.last().error);
        QVERIFY2(m_desktop->boxes.last().text.contains(QDir::toNativeSeparators(folder)), qPrintable(m_desktop->boxes.last().text));
        QCOMPARE(sentWrites(), 0);
        QVERIFY(!revert->isEnabled());
        QCOMPARE(device.record(), before);
        return;
    }
    QCOMPARE(box(2), QStringLiteral("Запись НАСТРОЕК прошла успешно"));
    QVERIFY(device.record() != before);
    const QStringList saved = QDir(folder).entryList(QDir::Files);
    QCOMPARE(saved.size(), 1);
    QVERIFY2(QRegularExpression(QStringLiteral("^\\d{8}-\\d{6}-COM1\\.cfg$")).match(saved.first()).hasMatch(), qPrintable(saved.first()));
    // The snapshot is what the controller held: written, it gives that record again.
    Configuration snapshot;
    QVERIFY(!load(QDir(folder).filePath(saved.first()), windowCatalog(), &snapshot));
    ConfigForm check;
    windowCatalog().apply(check.controls(), snapshot);
    QCOMPARE(records::buildSettings(check.controls()), before);
    bool noted = false;
    for (const ExchangeJournal::Entry &e : form->journal().entries())
        noted = noted || (e.direction == ExchangeJournal::Direction::Note && QString::fromUtf8(e.bytes).contains(saved.first()));
    QVERIFY(noted);

    // Back to what it held, with the usual boxes, and read back.
    QVERIFY(revert->isEnabled());
    if (storedOtherwise >= 0)
        device.setFaults({.corruptOffset = storedOtherwise});
    revert->trigger();
    QCOMPARE(box(3), QStringLiteral("Запись НАСТРОЕК прошла успешно"));
    QCOMPARE(box(4), QStringLiteral("Чтение НАСТРОЕК прошло успешно"));
    QCOMPARE(sentWrites(), 2);
    if (storedOtherwise >= 0) {
        // Acknowledged, but read back otherwise than sent: told, not passed over.
        const QString told = box(5);
        QVERIFY(m_desktop->boxes.last().error);
        QVERIFY2(told.startsWith(QStringLiteral("Прежние настройки возвращены не полностью"))
                     && told.contains(QStringLiteral("(смещение %1)").arg(storedOtherwise)),
                 qPrintable(told));
        QVERIFY(device.record() != before);
        QCOMPARE(device.record().left(storedOtherwise), before.left(storedOtherwise));
        bool noted = false;
        for (const ExchangeJournal::Entry &e : form->journal().entries())
            noted = noted || (e.direction == ExchangeJournal::Direction::Note && QString::fromUtf8(e.bytes) == told);
        QVERIFY(noted);
        return;
    }
    QCOMPARE(device.record(), before);
    QCOMPARE(form->controls().index(QStringLiteral("ComboBox22")), siren);
    // Stored as sent: nothing more is said.
    QCOMPARE(m_desktop->boxes.size(), 4);

    // Another controller may be on the cable after a disconnect; the files stay.
    form->control<QPushButton>("OpenClose")->click();
    QVERIFY(!revert->isEnabled());
    QCOMPARE(QDir(folder).entryList(QDir::Files).size(), 2);
}

QTEST_MAIN(TestConfigWindow)
#include "tst_configwindow.moc"
