// The site book in the window: "Объекты…" finds, compares, opens and files revisions;
// the status bar names the site; reads and writes on the cable are recorded.
#include "app/bookrecorder.h"
#include "app/configuratorwindow.h"
#include "app/sitebookwindow.h"
#include "app/tform1.h"
#include "book/book.h"
#include "config/writeplan.h"
#include "config/configform.h"
#include "records/records.h"
#include "tests/support/ptypeer.h"
#include "tests/support/recordingdesktop.h"
#include "ui/widgetcontrols.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QCheckBox>
#include <QPushButton>
#include <QSettings>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

namespace {

// A configuration file text: the factory one with these subscriber numbers.
QByteArray configText(const QStringList &phones)
{
    config::ConfigForm form;
    form.applyFactoryConfiguration();
    config::Configuration cfg = config::storedForm(form.controls());
    for (int i = 0; i < phones.size(); ++i)
        cfg.set(QStringLiteral("Edit%1").arg(i + 1), phones[i]);
    return config::windowCatalog().render(cfg);
}

// A settings answer of a controller: the factory record, with this password and, when
// given, this first subscriber.
QByteArray settingsAnswer(const QByteArray &password, const QString &phone = {})
{
    config::ConfigForm form;
    form.applyFactoryConfiguration();
    if (!phone.isEmpty())
        form.controls().setText(QStringLiteral("Edit1"), phone);
    QByteArray record = records::buildSettings(form.controls());
    record.replace(26, 4, password);
    return "READ_SET_" + record + "\r";
}

// Typed one character at a time, as a user does (keyClicks takes Latin-1 only).
void type(QLineEdit *edit, const QString &text)
{
    for (const QChar c : text)
        edit->insert(QString(c));
}

QStringList items(const QListWidget *list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

// One window on a pseudo-terminal linked as COM1, its book and settings in a temp folder.
struct Bench
{
    Bench()
    {
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.filePath(QStringLiteral("settings")));
        qputenv("TAVRIX_BOOK", location().toUtf8());
        QDir(dir.path()).mkdir(QStringLiteral("ports"));
        peer = std::make_unique<PtyPeer>(dir.filePath(QStringLiteral("ports")), 1);
        form = new TForm1(PortMap(dir.filePath(QStringLiteral("ports")), {}));
        window = std::make_unique<ConfiguratorWindow>(form);
        QString error;
        book = book::Book::open(location(), &error);
        if (!book)
            qWarning("%s", qPrintable(error));
    }

    QString location() const { return dir.filePath(QStringLiteral("book.sqlite")); }

    // A site with one controller and these revisions, oldest first.
    QList<book::Revision> site(const book::Site &fields, const QList<QByteArray> &configurations,
                               book::Kind kind = book::Kind::Write)
    {
        book::Site s = fields;
        QString error;
        if (!book->addSite(s, &error))
            qWarning("%s", qPrintable(error));
        const auto c = book->controllerOf(s.name, &error);
        QList<book::Revision> out;
        for (const QByteArray &text : configurations) {
            book::Revision r;
            r.configuration = text;
            r.kind = kind;
            r.controllerId = c->id;
            r.operatorName = QStringLiteral("Оля");
            if (!book->record(r, &error))
                qWarning("%s", qPrintable(error));
            out << r;
        }
        return out;
    }

    SiteBookWindow *openBookWindow()
    {
        QAction *entry = nullptr;
        for (QAction *a : window->fileMenu()->actions()) {
            if (a->text().remove(QLatin1Char('&')) == QStringLiteral("Объекты…"))
                entry = a;
        }
        if (!entry)
            return nullptr;
        entry->trigger();
        return window->findChild<SiteBookWindow *>(QStringLiteral("siteBook"));
    }

    template<typename T>
    T *in(QWidget *w, const char *name) { return w->findChild<T *>(QLatin1String(name)); }

    bool connect()
    {
        form->control<QPushButton>("OpenClose")->click();
        return form->channel().isOpen();
    }

    // The controller answers a settings read; the window has taken it.
    bool answer(const QByteArray &reply)
    {
        const int before = int(desktop.texts().count(QStringLiteral("Чтение НАСТРОЕК прошло успешно")));
        peer->send(reply);
        return QTest::qWaitFor([&] {
            return desktop.texts().count(QStringLiteral("Чтение НАСТРОЕК прошло успешно")) > before;
        });
    }

    QList<book::Revision> revisionsOf(const QString &siteName)
    {
        QString error;
        const auto c = book->controllerOf(siteName, &error);
        return c ? book->revisions(c->id) : QList<book::Revision>{};
    }

    QTemporaryDir dir;
    RecordingDesktop desktop;
    std::unique_ptr<PtyPeer> peer;
    TForm1 *form = nullptr;
    std::unique_ptr<ConfiguratorWindow> window;
    std::unique_ptr<book::Book> book;
};

} // namespace

class TestSiteBook : public QObject
{
    Q_OBJECT

private slots:
    void searchAsYouType_data();
    void searchAsYouType();
    void timelineComparesOpensFilesAndMakesASheet();
    void cardIsEditedAndArchived();
    void unassignedRevisionsAreGivenASite();
    void readsAndWritesOnTheCableAreRecorded();
    void recognisedControllerCanBeUndone();
    void writesOfAnUnnamedControllerFollowTheSiteNamedLater();
    void settingsNameTheOperatorAndTheBook();
    void unreachableSharedBookKeepsAnOutbox();
};

void TestSiteBook::searchAsYouType_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("found");
    QTest::newRow("name") << "иванов" << QStringList{"Иванов И.И."};
    QTest::newRow("address") << "Ленина" << QStringList{"Иванов И.И."};
    QTest::newRow("contact") << "Мария" << QStringList{"Петров"};
    QTest::newRow("notes") << "собака" << QStringList{"Иванов И.И."};
    QTest::newRow("subscriber digits") << "6712345" << QStringList{"Иванов И.И."};
    QTest::newRow("fingerprint") << "*" << QStringList{"Петров"};
    QTest::newRow("nobody") << "Сидоров" << QStringList{};
    QTest::newRow("everyone") << "" << QStringList{"Иванов И.И.", "Петров"};
}

void TestSiteBook::searchAsYouType()
{
    QFETCH(QString, typed);
    QFETCH(QStringList, found);
    Bench b;
    QVERIFY(b.book);
    book::Site ivanov{0, QStringLiteral("Иванов И.И."), QStringLiteral("ул. Ленина, 5"), QString(), QStringLiteral("во дворе собака")};
    b.site(ivanov, {configText({QStringLiteral("+380671234567")})});
    book::Site petrov{0, QStringLiteral("Петров"), QStringLiteral("пр. Мира, 3"), QStringLiteral("Мария, 050 111"), QString()};
    const QList<book::Revision> kept = b.site(petrov, {configText({QStringLiteral("+380500000001")})});
    // A fingerprint is found by its first digits.
    if (typed == QLatin1String("*"))
        typed = kept[0].fingerprint.left(8);
    SiteBookWindow *w = b.openBookWindow();
    QVERIFY(w);
    auto *search = b.in<QLineEdit>(w, "bookSearch");
    type(search, typed);
    QStringList shown = items(b.in<QListWidget>(w, "bookSites"));
    shown.sort();
    QCOMPARE(shown, found);
}

void TestSiteBook::timelineComparesOpensFilesAndMakesASheet()
{
    Bench b;
    QVERIFY(b.book);
    const QString before = QStringLiteral("+380671234567");
    const QString after = QStringLiteral("+380679876543");
    const QList<book::Revision> kept
        = b.site({0, QStringLiteral("Иванов"), {}, {}, {}, false}, {configText({before}), configText({after})});
    SiteBookWindow *w = b.openBookWindow();
    QVERIFY(w);
    type(b.in<QLineEdit>(w, "bookSearch"), QStringLiteral("Иванов"));
    auto *timeline = b.in<QTreeWidget>(w, "bookTimeline");
    QCOMPARE(timeline->topLevelItemCount(), 2);
    // Newest first: when, who, what, proved.
    QCOMPARE(timeline->topLevelItem(0)->text(6), kept[1].shortId());
    QCOMPARE(timeline->topLevelItem(0)->text(1), QStringLiteral("Оля"));
    QCOMPARE(timeline->topLevelItem(0)->text(2), QStringLiteral("запись"));
    QCOMPARE(timeline->topLevelItem(0)->text(3), QStringLiteral("нет"));

    auto *compare = b.in<QPushButton>(w, "compareRevisions");
    auto *open = b.in<QPushButton>(w, "openRevision");
    timeline->selectAll();
    QVERIFY(compare->isEnabled());
    QVERIFY(!open->isEnabled());
    QDialog *diff = w->compareSelected();
    QVERIFY(diff);
    auto *table = diff->findChild<QTableWidget *>(QStringLiteral("differences"));
    QVERIFY(table);
    // The older revision on the left, each value as the other one holds it.
    bool phoneRow = false;
    for (int row = 0; row < table->rowCount(); ++row) {
        if (table->item(row, 2)->text() == QLatin1String("Edit1")) {
            phoneRow = true;
            QVERIFY2(table->item(row, 3)->text().contains(before.right(9)), qPrintable(table->item(row, 3)->text()));
            QVERIFY2(table->item(row, 4)->text().contains(after.right(9)), qPrintable(table->item(row, 4)->text()));
        }
    }
    QVERIFY(phoneRow);
    QCOMPARE(table->rowCount(), int(b.book->diff(kept[0], kept[1]).size()));

    // One: opened in the window, nothing sent, nothing to save.
    timeline->clearSelection();
    timeline->topLevelItem(1)->setSelected(true);
    QVERIFY(!compare->isEnabled());
    QVERIFY(open->isEnabled());
    QVERIFY(w->openSelected());
    QCOMPARE(b.form->controls().text(QStringLiteral("Edit1")), before);
    QVERIFY(!b.form->hasUnsavedEdits());
    QVERIFY(!b.form->channel().isOpen());

    const QString file = b.dir.filePath(QStringLiteral("older.cfg"));
    QVERIFY(w->saveSelectedTo(file));
    QFile saved(file);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), kept[0].configuration);

    const QString sheet = b.dir.filePath(QStringLiteral("older.html"));
    QVERIFY(w->reportSelectedTo(sheet));
    QFile html(sheet);
    QVERIFY(html.open(QIODevice::ReadOnly));
    const QString page = QString::fromUtf8(html.readAll());
    QVERIFY(page.contains(QStringLiteral("Из журнала объектов: Иванов/Основной, запись %1").arg(kept[0].shortId())));
    // The window's pages are not the sheet's source: another revision leaves them alone.
    QCOMPARE(b.form->controls().text(QStringLiteral("Edit1")), before);

    // The controller on the cable named from here.
    QCOMPARE(b.window->siteButton()->text(), QStringLiteral("Объект: не выбран"));
    b.in<QPushButton>(w, "useController")->click();
    QCOMPARE(b.window->siteButton()->text(), QStringLiteral("Объект: Иванов/Основной"));
    QCOMPARE(b.form->bookRecorder().controllerId(), b.book->controllerOf(QStringLiteral("Иванов"), nullptr)->id);
}

void TestSiteBook::cardIsEditedAndArchived()
{
    Bench b;
    QVERIFY(b.book);
    b.site({0, QStringLiteral("Иванов"), {}, {}, {}, false}, {configText({})});
    SiteBookWindow *w = b.openBookWindow();
    QVERIFY(w);
    QCOMPARE(items(b.in<QListWidget>(w, "bookSites")), QStringList{"Иванов"});
    b.in<QListWidget>(w, "bookSites")->setCurrentRow(0);
    b.in<QLineEdit>(w, "siteAddress")->setText(QStringLiteral("ул. Садовая, 1"));
    b.in<QPlainTextEdit>(w, "siteNotes")->setPlainText(QStringLiteral("ключ у соседа"));
    b.in<QCheckBox>(w, "siteArchived")->setChecked(true);
    b.in<QPushButton>(w, "saveSite")->click();
    const auto site = b.book->site(QStringLiteral("Иванов"));
    QVERIFY(site);
    QCOMPARE(site->address, QStringLiteral("ул. Садовая, 1"));
    QCOMPARE(site->notes, QStringLiteral("ключ у соседа"));
    QVERIFY(site->archived);
    // Out of the listing, not out of the book: shown on request with its history.
    QCOMPARE(items(b.in<QListWidget>(w, "bookSites")), QStringList{});
    b.in<QCheckBox>(w, "showArchived")->setChecked(true);
    QCOMPARE(items(b.in<QListWidget>(w, "bookSites")), QStringList{"Иванов (в архиве)"});
    b.in<QListWidget>(w, "bookSites")->setCurrentRow(0);
    QCOMPARE(b.in<QTreeWidget>(w, "bookTimeline")->topLevelItemCount(), 1);
    // And taken back out of the archive from its card.
    b.in<QCheckBox>(w, "siteArchived")->setChecked(false);
    QVERIFY(w->saveCard());
    QVERIFY(!b.book->site(QStringLiteral("Иванов"))->archived);
    b.in<QCheckBox>(w, "showArchived")->setChecked(false);
    QCOMPARE(items(b.in<QListWidget>(w, "bookSites")), QStringList{"Иванов"});

    // A new site from an empty card; a taken name is refused and says so.
    b.in<QPushButton>(w, "newSite")->click();
    b.in<QLineEdit>(w, "siteName")->setText(QStringLiteral("Петров"));
    QVERIFY(w->saveCard());
    QVERIFY(b.book->site(QStringLiteral("Петров")));
    b.in<QPushButton>(w, "newSite")->click();
    b.in<QLineEdit>(w, "siteName")->setText(QStringLiteral("Петров"));
    b.desktop.clear();
    QVERIFY(!w->saveCard());
    QCOMPARE(b.desktop.boxes.size(), 1);
    QVERIFY(b.desktop.boxes[0].error);
}

void TestSiteBook::unassignedRevisionsAreGivenASite()
{
    Bench b;
    QVERIFY(b.book);
    book::Revision w;
    w.configuration = configText({QStringLiteral("+380671111111")});
    w.kind = book::Kind::Write;
    QString error;
    QVERIFY2(b.book->recordWrite(configText({}), w, &error), qPrintable(error));
    SiteBookWindow *window = b.openBookWindow();
    QVERIFY(window);
    b.in<QTabWidget>(window, "bookTabs")->setCurrentIndex(1);
    auto *loose = b.in<QTreeWidget>(window, "bookUnassigned");
    QCOMPARE(loose->topLevelItemCount(), 2);
    auto *assign = b.in<QPushButton>(window, "assignRevision");
    QVERIFY(!assign->isEnabled());
    loose->selectAll();
    QVERIFY(assign->isEnabled());
    QVERIFY(window->assignSelectedTo(QStringLiteral("Склад Петрова"), QStringLiteral("Склад")));
    QCOMPARE(loose->topLevelItemCount(), 0);
    QVERIFY(b.book->unassigned().isEmpty());
    const QList<book::Revision> now = b.revisionsOf(QStringLiteral("Склад Петрова/Склад"));
    QCOMPARE(now.size(), 2);
    QCOMPARE(now[0].id, w.id);
}

void TestSiteBook::readsAndWritesOnTheCableAreRecorded()
{
    Bench b;
    QVERIFY(b.book);
    QVERIFY(b.connect());
    QVERIFY(b.answer(settingsAnswer("1111")));
    // Nobody knows it: the window asks, and nothing read is kept meanwhile.
    auto *question = b.window->findChild<SiteChoiceDialog *>(QStringLiteral("siteChoice"));
    QVERIFY(question);
    QVERIFY(question->isVisible());
    QVERIFY(b.book->unassigned().isEmpty());
    QCOMPARE(b.window->siteButton()->text(), QStringLiteral("Объект: не выбран"));
    b.in<QComboBox>(question, "choiceSite")->setEditText(QStringLiteral("Склад Петрова"));
    question->accept();
    QCOMPARE(b.window->siteButton()->text(), QStringLiteral("Объект: Склад Петрова/Основной"));
    QList<book::Revision> kept = b.revisionsOf(QStringLiteral("Склад Петрова"));
    QCOMPARE(kept.size(), 1);
    QCOMPARE(kept[0].kind, book::Kind::Read);
    QVERIFY(kept[0].proved);
    QCOMPARE(kept[0].port, QStringLiteral("COM1"));

    // The same read again adds nothing.
    b.form->control<QPushButton>("Button11")->click();
    QVERIFY(b.answer(settingsAnswer("1111")));
    QCOMPARE(b.revisionsOf(QStringLiteral("Склад Петрова")).size(), 1);

    // A write, once acknowledged: what was written, its parent what was read.
    b.form->controls().setText(QStringLiteral("Edit1"), QStringLiteral("+380501234567"));
    b.form->control<QPushButton>("ButtWrite")->click();
    QTRY_VERIFY(b.peer->received().contains("WRITE_SET"));
    QCOMPARE(b.revisionsOf(QStringLiteral("Склад Петрова")).size(), 1); // not before the controller says so
    b.peer->send("WRITE_SET_OK\r");
    QTRY_COMPARE(b.revisionsOf(QStringLiteral("Склад Петрова")).size(), 2);
    kept = b.revisionsOf(QStringLiteral("Склад Петрова"));
    QCOMPARE(kept[0].kind, book::Kind::Write);
    QVERIFY(!kept[0].proved);
    QCOMPARE(kept[0].parent, kept[1].id);
    QVERIFY(kept[0].fingerprint != kept[1].fingerprint);

    // "Вернуть прежние настройки": proved by the read-back that follows it.
    auto *revert = b.form->findChild<QAction *>(QStringLiteral("revertSettings"));
    QVERIFY(revert && revert->isEnabled());
    b.peer->takeReceived();
    revert->trigger();
    QTRY_VERIFY(b.peer->received().contains("WRITE_SET"));
    b.peer->send("WRITE_SET_OK\r");
    QTRY_VERIFY(b.peer->received().contains("READ_SET\r"));
    QCOMPARE(b.revisionsOf(QStringLiteral("Склад Петрова")).size(), 2); // waits for the read-back
    QVERIFY(b.answer(settingsAnswer("1111")));
    kept = b.revisionsOf(QStringLiteral("Склад Петрова"));
    QCOMPARE(kept.size(), 3);
    QCOMPARE(kept[0].kind, book::Kind::Undo);
    QVERIFY(kept[0].proved);
    QCOMPARE(kept[0].fingerprint, kept[2].fingerprint);
    QCOMPARE(kept[0].parent, kept[1].id);
}

void TestSiteBook::recognisedControllerCanBeUndone()
{
    Bench b;
    QVERIFY(b.book);
    // The book has what this controller holds as a site's latest revision.
    config::ConfigForm form;
    form.applyFactoryConfiguration();
    records::applySettingsRecord(form.controls(), settingsAnswer("2222").mid(9).chopped(1));
    b.site({0, QStringLiteral("Иванов"), {}, {}, {}, false},
           {config::windowCatalog().render(config::windowCatalog().capture(form.controls()))}, book::Kind::Read);
    QVERIFY(b.connect());
    QVERIFY(b.answer(settingsAnswer("2222")));
    QTRY_COMPARE(b.window->siteButton()->text(), QStringLiteral("Объект: Иванов/Основной"));
    auto *undo = b.window->findChild<QPushButton *>(QStringLiteral("undoSiteMatch"));
    QVERIFY(!undo->isHidden());
    QVERIFY(undo->text().contains(QStringLiteral("по отпечатку")));
    QVERIFY(b.form->journal().text().contains(QStringLiteral("узнан по отпечатку настроек: Иванов/Основной")));
    // Nothing asked, nothing new recorded.
    QVERIFY(!b.window->findChild<SiteChoiceDialog *>(QStringLiteral("siteChoice")));
    QCOMPARE(b.revisionsOf(QStringLiteral("Иванов")).size(), 1);
    undo->click();
    QCOMPARE(b.window->siteButton()->text(), QStringLiteral("Объект: не выбран"));
    QVERIFY(undo->isHidden());

    // Other settings, the same subscribers: recognised by its numbers, and its read
    // recorded for the site, until the match is undone.
    b.form->control<QPushButton>("OpenClose")->click();
    QVERIFY(b.connect());
    QVERIFY(b.answer(settingsAnswer("3333")));
    QTRY_COMPARE(b.window->siteButton()->text(), QStringLiteral("Объект: Иванов/Основной"));
    QVERIFY(b.form->journal().text().contains(QStringLiteral("узнан по номерам абонентов: Иванов/Основной")));
    QVERIFY(undo->text().contains(QStringLiteral("по номерам")));
    QCOMPARE(b.revisionsOf(QStringLiteral("Иванов")).size(), 2);
    undo->click();
    QCOMPARE(b.window->siteButton()->text(), QStringLiteral("Объект: не выбран"));
    QCOMPARE(b.revisionsOf(QStringLiteral("Иванов")).size(), 1);
    QCOMPARE(b.book->unassigned().size(), 1);

    // A controller the book has not seen is asked about after its first read.
    b.form->control<QPushButton>("OpenClose")->click();
    QVERIFY(b.connect());
    QVERIFY(b.answer(settingsAnswer("3333", QStringLiteral("+380661112233"))));
    QCOMPARE(b.window->siteButton()->text(), QStringLiteral("Объект: не выбран"));
    QVERIFY(b.window->findChild<SiteChoiceDialog *>(QStringLiteral("siteChoice")));
}

void TestSiteBook::writesOfAnUnnamedControllerFollowTheSiteNamedLater()
{
    Bench b;
    QVERIFY(b.book);
    QVERIFY(b.connect());
    QVERIFY(b.answer(settingsAnswer("4444")));
    auto *question = b.window->findChild<SiteChoiceDialog *>(QStringLiteral("siteChoice"));
    QVERIFY(question);
    question->reject();
    // An acknowledgement nobody asked for is no write.
    b.peer->send("WRITE_SET_OK\r");
    QTRY_VERIFY(b.desktop.texts().contains(QStringLiteral("Запись НАСТРОЕК прошла успешно")));
    QVERIFY(b.book->unassigned().isEmpty());
    b.form->controls().setText(QStringLiteral("Edit1"), QStringLiteral("+380507654321"));
    b.form->control<QPushButton>("ButtWrite")->click();
    QTRY_VERIFY(b.peer->received().contains("WRITE_SET"));
    b.peer->send("WRITE_SET_OK\r");
    // Nothing written is missing from the book: what it held and what it holds now.
    QTRY_COMPARE(b.book->unassigned().size(), 2);
    QDialog *ask = b.window->askSite();
    QVERIFY(ask);
    b.in<QComboBox>(ask, "choiceSite")->setEditText(QStringLiteral("Дача"));
    ask->accept();
    QVERIFY(b.book->unassigned().isEmpty());
    const QList<book::Revision> kept = b.revisionsOf(QStringLiteral("Дача"));
    QCOMPARE(kept.size(), 2);
    QCOMPARE(kept[0].kind, book::Kind::Write);
}

void TestSiteBook::settingsNameTheOperatorAndTheBook()
{
    Bench b;
    QVERIFY(b.book);
    // The window's settings choose the book when no TAVRIX_BOOK is given.
    qunsetenv("TAVRIX_BOOK");
    const QString other = b.dir.filePath(QStringLiteral("other.sqlite"));
    SiteBookWindow *w = b.openBookWindow();
    QVERIFY(w);
    w->applySettings(QStringLiteral("Мастер Иван"), other);
    QCOMPARE(QSettings(QSettings::IniFormat, QSettings::UserScope, "tavrix", "configurator").value("book/location").toString(),
             other);
    QVERIFY(b.in<QLabel>(w, "bookLocation")->text().contains(other));
    QVERIFY(b.connect());
    QVERIFY(b.answer(settingsAnswer("5555")));
    auto *question = b.window->findChild<SiteChoiceDialog *>(QStringLiteral("siteChoice"));
    QVERIFY(question);
    b.in<QComboBox>(question, "choiceSite")->setEditText(QStringLiteral("Офис"));
    question->accept();
    QString error;
    auto otherBook = book::Book::open(other, &error);
    QVERIFY2(otherBook, qPrintable(error));
    const auto c = otherBook->controllerOf(QStringLiteral("Офис"), &error);
    QVERIFY(c);
    const QList<book::Revision> kept = otherBook->revisions(c->id);
    QCOMPARE(kept.size(), 1);
    QCOMPARE(kept[0].operatorName, QStringLiteral("Мастер Иван"));
    QVERIFY(!b.book->site(QStringLiteral("Офис")));
}

void TestSiteBook::unreachableSharedBookKeepsAnOutbox()
{
    Bench b;
    // Nothing listens there: what is recorded waits in the local book.
    qputenv("TAVRIX_BOOK", "postgresql://nobody@127.0.0.1:1/nowhere");
    const QByteArray dataHome = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", b.dir.filePath(QStringLiteral("data")).toUtf8());
    const auto restore = qScopeGuard([&] { qputenv("XDG_DATA_HOME", dataHome); });
    b.form->bookRecorder().reopen();
    QVERIFY(b.form->bookRecorder().book());
    QVERIFY(b.form->bookRecorder().book()->outboxOnly());
    auto *outbox = b.window->findChild<QLabel *>(QStringLiteral("bookOutboxStatus"));
    QVERIFY(outbox->isHidden());
    QVERIFY(b.connect());
    QVERIFY(b.answer(settingsAnswer("6666")));
    auto *question = b.window->findChild<SiteChoiceDialog *>(QStringLiteral("siteChoice"));
    QVERIFY(question);
    b.in<QComboBox>(question, "choiceSite")->setEditText(QStringLiteral("Гараж"));
    question->accept();
    QCOMPARE(b.window->siteButton()->text(), QStringLiteral("Объект: Гараж/Основной"));
    QCOMPARE(outbox->text(), QStringLiteral("1 записей ждут отправки в общий журнал"));
    QVERIFY(!outbox->isHidden());
    // Nothing in the file the test opened: the revision is in the local book's outbox.
    QVERIFY(!b.book->site(QStringLiteral("Гараж")));
}

QTEST_MAIN(TestSiteBook)
#include "tst_sitebook.moc"
