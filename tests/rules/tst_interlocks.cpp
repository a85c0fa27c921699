// The interlock engine on the in-memory controls: every rule of the tables, cascades,
// and that nothing runs without a change.
#include "records/memorycontrols.h"
#include "records/controlnames.h"
#include "tests/support/expectedcontrols.h"
#include "rules/interlocks.h"

#include <QRandomGenerator>
#include <QTest>

#include <algorithm>

using names::numbered;

namespace {

QStringList boxes(int from, int to)
{
    return numbered("CheckBox", from, to);
}

// The members of `names` that are on, as a string of 0/1 for compact comparisons.
QString states(const Controls &c, const QStringList &names)
{
    QString s;
    for (const QString &name : names)
        s += c.checked(name) ? QLatin1Char('1') : QLatin1Char('0');
    return s;
}

QString enabledStates(const Controls &c, const QStringList &names)
{
    QString s;
    for (const QString &name : names)
        s += c.enabled(name) ? QLatin1Char('1') : QLatin1Char('0');
    return s;
}

// Sets boxes without rules, to build a starting position.
void preset(Controls &c, const QStringList &names, const QString &bits)
{
    for (int i = 0; i < names.size(); ++i)
        c.setChecked(names[i], bits[i] == QLatin1Char('1'));
}

} // namespace

class TestInterlocks : public QObject
{
    Q_OBJECT

private slots:
    void runGroup_data();
    void runGroup();
    void everyFirstAnchoredGroupCascades_data();
    void everyFirstAnchoredGroupCascades();
    void masterSwitch_data();
    void masterSwitch();
    void partialArmingOn();
    void partialArmingInput2OffTakesTitleAndRest();
    void titleOffClearsAllInputs();
    void unchangedStateRunsNothing();
    void nothingRunsAtInstall();
    void label104IsNoDependent();
    void mastersLeaveTickedBoxesTicked();
    void cascadeOrderIsNested();
    void clicksKeepEveryShape();
};

// Groups: before, the box changed, its new state, after.
void TestInterlocks::runGroup_data()
{
    QTest::addColumn<QStringList>("group");
    QTest::addColumn<QString>("before");
    QTest::addColumn<int>("member"); // 0-based
    QTest::addColumn<bool>("on");
    QTest::addColumn<QString>("after");

    const QStringList alarm = boxes(1, 9);
    const QStringList pulse = boxes(49, 53);
    const QStringList disarmed = {QStringLiteral("CheckBox48"), QStringLiteral("CheckBox54")};
    QTest::newRow("alarm 1-3, tick 7") << alarm << "111000000" << 6 << true << "111111100";
    QTest::newRow("alarm 1-7, untick 1") << alarm << "111111100" << 0 << false << "000000000";
    QTest::newRow("alarm 1-9, untick 3") << alarm << "111111111" << 2 << false << "110000000";
    QTest::newRow("alarm tick 5 of none") << alarm << "000000000" << 4 << true << "111110000";
    QTest::newRow("alarm tick 1 alone") << alarm << "000000000" << 0 << true << "100000000";
    QTest::newRow("alarm untick 9 alone") << alarm << "111111111" << 8 << false << "111111110";
    QTest::newRow("disarmed untick input 2") << disarmed << "11" << 0 << false << "00";
    QTest::newRow("disarmed tick input 4") << disarmed << "00" << 1 << true << "11";
    QTest::newRow("disarmed tick input 2 alone") << disarmed << "00" << 0 << true << "10";
    QTest::newRow("pulse 4,5 tick 1") << pulse << "00011" << 0 << true << "11111";
    QTest::newRow("pulse tick 2") << pulse << "00000" << 1 << true << "01111";
    QTest::newRow("pulse all, untick 4") << pulse << "11111" << 3 << false << "00001";
    QTest::newRow("pulse untick 5") << pulse << "00001" << 4 << false << "00000";
    QTest::newRow("pulse tick 5 alone") << pulse << "00000" << 4 << true << "00001";
    QTest::newRow("intercom tick 3") << boxes(71, 75) << "00000" << 2 << true << "11100";
    QTest::newRow("voice jamming untick 2") << boxes(99, 107) << "111111111" << 1 << false << "100000000";
}

void TestInterlocks::runGroup()
{
    QFETCH(QStringList, group);
    QFETCH(QString, before);
    QFETCH(int, member);
    QFETCH(bool, on);
    QFETCH(QString, after);

    MemoryControls c;
    preset(c, group, before);
    interlocks::install(c);
    c.setChecked(group[member], on);
    QCOMPARE(states(c, group), after);
}

// Each of the ten subscriber-style columns, from its table: ticking the last member
// fills the column, unticking the second empties all but the first.
void TestInterlocks::everyFirstAnchoredGroupCascades_data()
{
    QTest::addColumn<QStringList>("group");
    for (const interlocks::RunGroup &g : interlocks::runGroups()) {
        if (g.anchor == interlocks::Anchor::First && g.titleOffWithFirst.isEmpty())
            QTest::newRow(qPrintable(g.members.first())) << g.members;
    }
}

void TestInterlocks::everyFirstAnchoredGroupCascades()
{
    QFETCH(QStringList, group);
    MemoryControls c;
    interlocks::install(c);
    c.setChecked(group.last(), true);
    QCOMPARE(states(c, group), QString(group.size(), QLatin1Char('1')));
    c.setChecked(group[1], false);
    QCOMPARE(states(c, group), QLatin1String("1") + QString(group.size() - 1, QLatin1Char('0')));
}

void TestInterlocks::masterSwitch_data()
{
    QTest::addColumn<QString>("master");
    QTest::addColumn<QStringList>("dependents");
    QTest::addColumn<QStringList>("clearedWhenOff");

    QTest::newRow("thermometer") << "CheckBox56"
                                 << QStringList{"Label23", "Label27", "Label44", "Label30", "Edit32", "Edit33"}
                                 << QStringList{};
    QTest::newRow("server") << "CheckBox57"
                            << expected::serverControls()
                            << QStringList{};
    QTest::newRow("balance") << "CheckBox80"
                             << QStringList{"Label8", "Label9", "Label10", "Label11", "Label12", "Edit36", "Edit38"}
                             << QStringList{};
    QTest::newRow("intercom") << "CheckBox67"
                              << QStringList{"Label106", "CheckBox71", "CheckBox72", "CheckBox73", "CheckBox74",
                                             "CheckBox75", "CheckBox69", "CheckBox70"}
                              << QStringList{"CheckBox69"};
    QStringList voice = {"CheckBox109", "CheckBox110"};
    voice << boxes(81, 107) << QStringList{"Label14", "Label15", "Label16", "Label20"} << numbered("Label", 97, 103)
          << QStringList{"Label13", "Label105", "Label107", "Label108"};
    QTest::newRow("voice") << "CheckBox108" << voice << QStringList{"CheckBox109"};
}

void TestInterlocks::masterSwitch()
{
    QFETCH(QString, master);
    QFETCH(QStringList, dependents);
    QFETCH(QStringList, clearedWhenOff);

    MemoryControls c;
    for (const QString &name : dependents) {
        c.setEnabled(name, false);
        c.setText(name, QStringLiteral("t"));
    }
    interlocks::install(c);

    c.setChecked(master, true);
    QCOMPARE(enabledStates(c, dependents), QString(dependents.size(), QLatin1Char('1')));
    for (const QString &name : dependents)
        QCOMPARE(c.text(name), QStringLiteral("t")); // enabling never touches a text

    // Tick every dependent box that is not in a run, then switch the feature off.
    QStringList ticked;
    for (const QString &name : dependents) {
        if (name.startsWith(QLatin1String("CheckBox"))) {
            c.setChecked(name, true);
            ticked << name;
        }
    }
    c.setChecked(master, false);
    QCOMPARE(enabledStates(c, dependents), QString(dependents.size(), QLatin1Char('0')));
    for (const QString &name : ticked)
        QCOMPARE(c.checked(name), !clearedWhenOff.contains(name));
}

void TestInterlocks::partialArmingOn()
{
    MemoryControls c;
    for (const QString &name : boxes(114, 119))
        c.setEnabled(name, false);
    interlocks::install(c);
    c.setChecked(QStringLiteral("CheckBox113"), true);
    QCOMPARE(enabledStates(c, boxes(114, 119)), QStringLiteral("111111"));
    QCOMPARE(states(c, boxes(114, 119)), QStringLiteral("100000"));
}

void TestInterlocks::partialArmingInput2OffTakesTitleAndRest()
{
    MemoryControls c;
    interlocks::install(c);
    c.setChecked(QStringLiteral("CheckBox113"), true);
    c.setChecked(QStringLiteral("CheckBox117"), true); // inputs 2 to 5
    c.setChecked(QStringLiteral("CheckBox119"), true); // siren
    QCOMPARE(states(c, boxes(113, 119)), QStringLiteral("1111101"));

    c.setChecked(QStringLiteral("CheckBox114"), false);
    QCOMPARE(states(c, boxes(113, 119)), QStringLiteral("0000000"));
    QCOMPARE(enabledStates(c, boxes(114, 119)), QStringLiteral("000000"));
}

void TestInterlocks::titleOffClearsAllInputs()
{
    MemoryControls c;
    interlocks::install(c);
    c.setChecked(QStringLiteral("CheckBox113"), true);
    c.setChecked(QStringLiteral("CheckBox118"), true);
    c.setChecked(QStringLiteral("CheckBox119"), true);
    c.setChecked(QStringLiteral("CheckBox113"), false);
    QCOMPARE(states(c, boxes(113, 119)), QStringLiteral("0000000"));
    QCOMPARE(enabledStates(c, boxes(114, 119)), QStringLiteral("000000"));
}

void TestInterlocks::unchangedStateRunsNothing()
{
    MemoryControls c;
    // An inconsistent column: setting a box to the state it has must not tidy it.
    preset(c, boxes(1, 9), QStringLiteral("010010001"));
    c.setChecked(QStringLiteral("CheckBox56"), false);
    c.setEnabled(QStringLiteral("Edit32"), true);
    interlocks::install(c);
    c.setChecked(QStringLiteral("CheckBox5"), true);
    c.setChecked(QStringLiteral("CheckBox1"), false);
    c.setChecked(QStringLiteral("CheckBox56"), false);
    QCOMPARE(states(c, boxes(1, 9)), QStringLiteral("010010001"));
    QVERIFY(c.enabled(QStringLiteral("Edit32")));
}

void TestInterlocks::nothingRunsAtInstall()
{
    // The server switch starts on with its dependents greyed; installing keeps that,
    // and only a change off and on again enables them.
    MemoryControls c;
    const QStringList deps = expected::serverControls();
    c.setChecked(QStringLiteral("CheckBox57"), true);
    for (const QString &name : deps)
        c.setEnabled(name, false);
    interlocks::install(c);
    QCOMPARE(enabledStates(c, deps), QStringLiteral("000000"));
    c.setChecked(QStringLiteral("CheckBox57"), true);
    QCOMPARE(enabledStates(c, deps), QStringLiteral("000000"));
    c.setChecked(QStringLiteral("CheckBox57"), false);
    QCOMPARE(enabledStates(c, deps), QStringLiteral("000000"));
    c.setChecked(QStringLiteral("CheckBox57"), true);
    QCOMPARE(enabledStates(c, deps), QStringLiteral("111111"));
}

void TestInterlocks::label104IsNoDependent()
{
    MemoryControls c;
    interlocks::install(c);
    c.setChecked(QStringLiteral("CheckBox108"), true);
    c.setChecked(QStringLiteral("CheckBox108"), false);
    QVERIFY(c.enabled(QStringLiteral("Label104")));
    QVERIFY(!c.enabled(QStringLiteral("Label105")));
}

void TestInterlocks::mastersLeaveTickedBoxesTicked()
{
    MemoryControls c;
    interlocks::install(c);
    c.setChecked(QStringLiteral("CheckBox67"), true);
    c.setChecked(QStringLiteral("CheckBox73"), true);
    c.setChecked(QStringLiteral("CheckBox69"), true);
    c.setChecked(QStringLiteral("CheckBox67"), false);
    QCOMPARE(states(c, boxes(71, 75)), QStringLiteral("11100"));
    QCOMPARE(enabledStates(c, boxes(71, 75)), QStringLiteral("00000"));
    QVERIFY(!c.checked(QStringLiteral("CheckBox69")));

    c.setChecked(QStringLiteral("CheckBox108"), true);
    c.setChecked(QStringLiteral("CheckBox109"), true);
    c.setChecked(QStringLiteral("CheckBox110"), true);
    c.setChecked(QStringLiteral("CheckBox108"), false);
    QVERIFY(!c.checked(QStringLiteral("CheckBox109")));
    QVERIFY(c.checked(QStringLiteral("CheckBox110")));
    QVERIFY(!c.enabled(QStringLiteral("CheckBox110")));
}

// A set made by a rule runs the changed box's rule before the first rule goes on: the
// observers see the partial-arming title go off before input 3 does.
void TestInterlocks::cascadeOrderIsNested()
{
    MemoryControls c;
    interlocks::install(c);
    c.setChecked(QStringLiteral("CheckBox113"), true);
    c.setChecked(QStringLiteral("CheckBox116"), true);
    QStringList seen;
    c.addCheckObserver([&seen](const QString &name, bool on) {
        seen << name + (on ? QLatin1String("+") : QLatin1String("-"));
    });
    c.setChecked(QStringLiteral("CheckBox114"), false);
    // The engine was registered first, so each set is seen after its own cascade.
    QCOMPARE(seen.join(QLatin1Char(' ')),
             QStringLiteral("CheckBox116- CheckBox115- CheckBox113- CheckBox114-"));
}

// Random clicks on the boxes a user can reach (enabled ones), from the window's
// consistent start: after each, every run is whole from its anchor, every feature's
// controls are enabled exactly while it is on, and what a master clears stays clear.
void TestInterlocks::clicksKeepEveryShape()
{
    MemoryControls c;
    QStringList clickable = boxes(1, 119);
    for (const interlocks::MasterSwitch &m : interlocks::masterSwitches()) {
        for (const QString &d : m.dependents)
            c.setEnabled(d, false);
    }
    interlocks::install(c);

    QRandomGenerator random(20240611);
    for (int step = 0; step < 5000; ++step) {
        const QString box = clickable[int(random.bounded(clickable.size()))];
        if (!c.enabled(box))
            continue;
        c.setChecked(box, !c.checked(box));

        for (const interlocks::RunGroup &g : interlocks::runGroups()) {
            QString run = states(c, g.members);
            if (g.anchor == interlocks::Anchor::Last)
                std::reverse(run.begin(), run.end());
            QVERIFY2(!run.contains(QLatin1String("01")), qPrintable(box + QLatin1String(" left ") + run));
        }
        for (const interlocks::MasterSwitch &m : interlocks::masterSwitches()) {
            const bool on = c.checked(m.master);
            QCOMPARE(enabledStates(c, m.dependents),
                     QString(m.dependents.size(), on ? QLatin1Char('1') : QLatin1Char('0')));
            if (!on) {
                for (const QString &name : m.offWhenOff)
                    QVERIFY2(!c.checked(name), qPrintable(box + QLatin1Char(' ') + name));
            }
        }
        // Partial arming is on exactly while input 2 takes part in it.
        QCOMPARE(c.checked(QStringLiteral("CheckBox113")), c.checked(QStringLiteral("CheckBox114")));
    }
}

QTEST_GUILESS_MAIN(TestInterlocks)
#include "tst_interlocks.moc"
