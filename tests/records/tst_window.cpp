// The codecs against the real window: every name resolves to the right widget, the
// window's own start record, the factory values, and decoding with the interlocks on.
#include "controlscript.h"

#include "app/tform1.h"
#include "link/portmap.h"
#include "records/blocks.h"
#include "records/fieldmeaning.h"
#include "records/formstart.h"
#include "records/records.h"
#include "records/settingsfields.h"
#include "records/startvalues.h"
#include "rules/factorydefaults.h"
#include "ui/pagecontrol.h"
#include "ui/widgetcontrols.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

using script::reply;

class TestRecordsWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void namesResolve();
    void radioSetsAndLists();
    void meaningsNameThePageOfTheControl();
    void startRecord();
    void factoryDefaultsRecord();
    void decodeWithInterlocks_data();
    void decodeWithInterlocks();
    void busyRecordComesBackUnchanged();
    void typedDialCountHasNoItem();

private:
    Controls &controls() { return m_form->controls(); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TForm1> m_form;
};

namespace {

QByteArray patched(QByteArray record, int offset, const QByteArray &bytes)
{
    record.replace(offset, bytes.size(), bytes);
    return record;
}

QStringList column(int first, int last, bool on)
{
    QStringList out;
    for (int i = first; i <= last; ++i)
        out << QStringLiteral("CheckBox%1=%2").arg(i).arg(on ? 1 : 0);
    return out;
}

QStringList enabledColumn(int first, int last, bool on)
{
    QStringList out;
    for (int i = first; i <= last; ++i)
        out << QStringLiteral("enabled:CheckBox%1=%2").arg(i).arg(on ? 1 : 0);
    return out;
}

// Something else than the start value in nearly every field, valid for the interlocks.
QByteArray busyRecord()
{
    QByteArray record;
    record += "9531" "01" "3" "21021" "2" "1" "1" "0" "4" "0" "98765" "2" "37";  // 0-25
    record += "0042" "4" "3" "85" "05" "1" "2" "9" "0" "1" "3" "4" "59" "2" "00"; // 26-47
    record += "2" "5" "1" "000" "2" "915" "1" "0000000" "1" "25" "100" "4" "1" "000" "6" "000000" "0" "300" "00";
    for (int k = 1; k <= 9; ++k)
        record += QByteArray("+38050123456") + char('0' + k) + "  ";
    record += "Vault       " "Armed       " "Mains       " "Battery     " "t=          " "ALARM       "
              "Door        " "Window      " "Hall        " "Garage      " "Barn        " "Gate!Gate!Ga";
    for (int k = 9; k >= 1; --k)
        record += QByteArray(15, char('0' + k)) + "A";
    record += "\"" + QByteArray(50, 'n') + "\"" "\"TCP\"," "\"monitor.example.net\",\"8080\"" + QByteArray(41 - 12 - 19 - 4, ' ');

    return record;
}

} // namespace

void TestRecordsWindow::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_form = std::make_unique<TForm1>(PortMap(m_dir->path(), {}));
    if (!controls().has("CheckBox113"))
        QSKIP("the window's pages are not built yet");
}

void TestRecordsWindow::cleanup()
{
    m_form.reset();
    m_dir.reset();
}

void TestRecordsWindow::namesResolve()
{
    for (const auto &[name, type] : records::codecControls()) {
        QWidget *w = m_form->findChild<QWidget *>(name);
        QVERIFY2(w, qPrintable(name));
        bool right = false;
        switch (type) {
        case records::ControlType::CheckBox: right = qobject_cast<QCheckBox *>(w); break;
        case records::ControlType::RadioButton: right = qobject_cast<QRadioButton *>(w); break;
        case records::ControlType::ComboBox: right = qobject_cast<QComboBox *>(w); break;
        case records::ControlType::LineEdit: right = qobject_cast<QLineEdit *>(w); break;
        case records::ControlType::Label: right = qobject_cast<QLabel *>(w); break;
        }
        QVERIFY2(right, qPrintable(name + " is a " + w->metaObject()->className()));
    }
}

void TestRecordsWindow::radioSetsAndLists()
{
    // Each listed set is exclusive in the window, and sets do not reach into each other.
    const QList<QStringList> groups = records::radioGroups();
    for (const QStringList &group : groups) {
        for (const QString &member : group) {
            controls().setChecked(member, true);
            for (const QString &other : group)
                QCOMPARE(controls().checked(other), other == member);
        }
    }
    for (const QStringList &group : groups)
        QVERIFY(controls().checked(group.last()));
    for (const auto &[name, count] : records::dropDownLists())
        QCOMPARE(m_form->findChild<QComboBox *>(name)->count(), count);
}

void TestRecordsWindow::meaningsNameThePageOfTheControl()
{
    auto *pages = m_form->findChild<PageControl *>();
    QVERIFY(pages);
    const auto pageTitleOf = [&](const QString &name) {
        QWidget *w = m_form->findChild<QWidget *>(name);
        for (int i = 0; w && i < pages->count(); ++i) {
            if (pages->page(i)->isAncestorOf(w))
                return pages->tabText(i);
        }
        return QString();
    };
    const auto pageOfMeaning = [](const QString &meaning) { return meaning.section(": ", 0, 0); };
    // A field's meaning names the page of its first control; a block's each box's own.
    for (const records::Field &f : records::settingsFields()) {
        if (f.controls.isEmpty())
            continue;
        QCOMPARE(pageOfMeaning(QString::fromUtf8(f.meaning)), pageTitleOf(f.controls.first()));
    }
    for (const records::Block &b : records::blocks()) {
        for (const QString &name : b.controls)
            QCOMPARE(pageOfMeaning(records::meaningOf(name)), pageTitleOf(name));
    }
}

void TestRecordsWindow::startRecord()
{
    QCOMPARE(records::buildSettings(controls()), script::startRecord());
    // The in-memory copy, read from the forms when the program was built, starts as
    // the window does: every control of the forms, and every one the codecs use.
    MemoryControls memory = records::startControls();
    for (const auto &[name, type] : records::codecControls()) {
        QCOMPARE(memory.enabled(name), controls().enabled(name));
        QCOMPARE(memory.checked(name), controls().checked(name));
        QCOMPARE(memory.text(name), type == records::ControlType::LineEdit ? controls().text(name) : QString());
    }
    for (int i = 0; i < records::kFormControlCount; ++i) {
        const QString name = QString::fromLatin1(records::kFormControls[i].name);
        QVERIFY2(controls().has(name), qPrintable(name));
        QVERIFY2(memory.enabled(name) == controls().enabled(name), qPrintable(name));
        QVERIFY2(memory.checked(name) == controls().checked(name), qPrintable(name));
        QVERIFY2(memory.index(name) == controls().index(name), qPrintable(name));
        if (records::kFormControls[i].kind == records::FormControl::LineEdit)
            QCOMPARE(memory.text(name), controls().text(name));
    }
    QVERIFY(records::kFormControlCount > 300);
}

void TestRecordsWindow::factoryDefaultsRecord()
{
    Controls &c = controls();
    // Change something in nearly every field first.
    records::applySettings(c, reply("READ_SET_", busyRecord()), 9);
    applyFactoryDefaults(c);
    // The settings fields go back to the factory values; the GPRS page (offsets 84 to
    // 87) and the four blocks keep what the user had.
    QByteArray expected = script::startFields();
    expected[20] = '7';
    expected.replace(84, 4, "0300");
    const QByteArray record = records::buildSettings(c);
    QCOMPARE(record.left(90), expected);
    QCOMPARE(record.mid(90), busyRecord().mid(90));
    QCOMPARE(c.text("Edit32"), QString("7"));
    QVERIFY(!c.enabled("Edit32"));
}

void TestRecordsWindow::decodeWithInterlocks_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<int>("offset");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("count over a full row") << column(10, 18, true) << 1 << QByteArray("3")
                                           << column(10, 12, true) + column(13, 18, false);
    QTest::newRow("inputs watched while disarmed '1'") << QStringList{"CheckBox54=1"} << 23 << QByteArray("1")
                                                       << QStringList{"CheckBox48=1", "CheckBox54=0"};
    QTest::newRow("thermometer '1'") << QStringList() << 30 << QByteArray("1")
                                     << QStringList{"CheckBox56=1", "CheckBox37=1", "CheckBox38=0",
                                                    "enabled:Edit32=1", "enabled:Edit33=1"};
    QTest::newRow("pulse '3' over a full column") << column(49, 53, true) << 42 << QByteArray("3")
                                                  << column(49, 50, false) + column(51, 53, true);
    QTest::newRow("intercom 'Z'") << QStringList() << 48 << QByteArray("Z")
                                  << QStringList{"CheckBox67=1", "CheckBox69=1", "enabled:CheckBox71=1"};
    QTest::newRow("intercom off keeps subscribers") << QStringList{"CheckBox67=1", "CheckBox69=1"} + column(71, 73, true)
                                                    << 48 << QByteArray("03")
                                                    << QStringList{"CheckBox67=0", "CheckBox69=0"} + column(71, 73, true)
                                                           + enabledColumn(71, 75, false);
    QTest::newRow("partial arming '2'") << QStringList() << 72 << QByteArray("20")
                                        << column(113, 115, true) + column(116, 119, false) + enabledColumn(114, 119, true);
    QTest::newRow("partial arming '6'") << QStringList{"CheckBox113=1"} + column(114, 119, true) << 72 << QByteArray("61")
                                        << column(113, 118, false) + QStringList{"CheckBox119=1"} + enabledColumn(114, 119, false);
    // The siren box follows its character even with a stale mark from before.
    QTest::newRow("partial siren '0' clears") << QStringList{"CheckBox113=1", "CheckBox119=1"} << 72 << QByteArray("30")
                                              << column(113, 116, true) + QStringList{"CheckBox117=0", "CheckBox119=0"}
                                                     + enabledColumn(119, 119, true);
    QTest::newRow("partial siren alone") << QStringList() << 72 << QByteArray("01")
                                         << QStringList{"CheckBox113=0", "CheckBox119=1", "enabled:CheckBox119=0"};
    const QStringList sixOn = script::enabledLines(expected::serverControls(), true);
    const QStringList sixOff = script::enabledLines(expected::serverControls(), false);
    QTest::newRow("server '0' with the box already off") << QStringList{"CheckBox57=0"} << 84 << QByteArray("0")
                                                         << QStringList{"CheckBox57=0"} + sixOff;
    // At start the box is on and its controls are grey; a record sets both.
    QTest::newRow("server '1' at start") << QStringList() << 84 << QByteArray("1") << QStringList{"CheckBox57=1"} + sixOn;
}

void TestRecordsWindow::decodeWithInterlocks()
{
    QFETCH(QStringList, before);
    QFETCH(int, offset);
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, expected);

    script::apply(controls(), before);
    records::applySettings(controls(), reply("READ_SET_", patched(script::startRecord(), offset, bytes)), 9);
    const QStringList wrong = script::mismatches(controls(), expected);
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join("; ")));
}

void TestRecordsWindow::busyRecordComesBackUnchanged()
{
    const QByteArray record = busyRecord();
    QCOMPARE(record.mid(561 + 4, 6), QByteArray("\"TCP\","));
    records::applySettings(controls(), reply("READ_SET_", record), 9);
    QCOMPARE(records::buildSettings(controls()), record);
}

void TestRecordsWindow::typedDialCountHasNoItem()
{
    // The dial-count list may be typed into; a text of the user's own is no item.
    auto *combo = m_form->findChild<QComboBox *>("ComboBox2");
    QVERIFY(combo && combo->isEditable());
    combo->lineEdit()->selectAll();
    QTest::keyClicks(combo->lineEdit(), "7x");
    QCOMPARE(combo->currentText(), QString("7x"));
    QCOMPARE(records::buildSettings(controls()).at(21), '0');
}

QTEST_MAIN(TestRecordsWindow)
#include "tst_window.moc"
