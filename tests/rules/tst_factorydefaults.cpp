// "Заводские настройки" on the in-memory controls, with the interlocks installed, from
// positions that the rules' cascades could disturb.
#include "records/memorycontrols.h"
#include "tests/rules/factorycheck.h"
#include "rules/factorydefaults.h"
#include "records/controlnames.h"
#include "rules/interlocks.h"

#include <QTest>

using names::numbered;

namespace {

QStringList radios(std::initializer_list<int> numbers)
{
    QStringList names;
    for (int n : numbers)
        names << QStringLiteral("RadioButton%1").arg(n);
    return names;
}

// The controls that the defaults act on, with the window's radio sets and lists, and
// everything set away from its factory value.
void buildChanged(MemoryControls &c)
{
    for (const QStringList &set :
         {radios({32, 33, 34}), radios({35, 36, 37, 38}), radios({39, 40, 41}), radios({42, 43, 44, 45, 46, 47, 48}),
          radios({1, 2, 3, 19, 20}), radios({4, 5, 6}), radios({7, 8, 9}), radios({10, 11, 12}), radios({13, 14, 15}),
          radios({16, 17, 18}), radios({21, 22, 23}), radios({24, 25}), radios({26, 27}), radios({28, 29}),
          radios({30, 31})}) {
        c.addRadioGroup(set);
        c.setChecked(set.last(), true);
    }
    for (const char *list : {"ComboBox19", "ComboBox21", "ComboBox22", "ComboBox30", "ComboBox27", "ComboBox2",
                             "ComboBox24", "ComboBox26", "ComboBox18", "ComboBox20"})
        c.addList(QLatin1String(list), 10, 5);
    for (const QString &box : numbered("CheckBox", 1, 119))
        c.setChecked(box, true);
    for (const QString &edit : numbered("Edit", 1, 40))
        c.setText(edit, QStringLiteral("changed"));
    interlocks::install(c);
}

} // namespace

class TestFactoryDefaults : public QObject
{
    Q_OBJECT

private slots:
    void everyValueHoldsAfterTheCascades_data();
    void everyValueHoldsAfterTheCascades();
    void mastersEndOffWithDependentsGreyed();
    void partialArmingGreyedWhenTitleWasOff();
    void ownResetsAreLeftAlone();
};

void TestFactoryDefaults::everyValueHoldsAfterTheCascades_data()
{
    QTest::addColumn<bool>("reverse"); // apply once more in reverse, to show order does not matter
    QTest::newRow("table order") << false;
    QTest::newRow("then reversed") << true;
}

void TestFactoryDefaults::everyValueHoldsAfterTheCascades()
{
    QFETCH(bool, reverse);
    MemoryControls c;
    buildChanged(c);
    applyFactoryDefaults(c);
    if (reverse) {
        // Spoil the position again, then apply the values in the opposite order.
        for (const QString &box : numbered("CheckBox", 1, 119))
            c.setChecked(box, true);
        const auto &values = factoryValues();
        for (auto it = values.rbegin(); it != values.rend(); ++it) {
            if (it->kind == FactoryValue::Check)
                c.setChecked(it->name, it->value != 0);
        }
    }

    QCOMPARE(factoryMismatches(c), QStringList());
    // The values a user notices first.
    QCOMPARE(c.index(QStringLiteral("ComboBox22")), 7);
    QCOMPARE(c.index(QStringLiteral("ComboBox27")), 9);
    QCOMPARE(c.text(QStringLiteral("Edit32")), QStringLiteral("7"));
    QCOMPARE(c.text(QStringLiteral("Edit33")), QStringLiteral("40"));
    QVERIFY(!c.checked(QStringLiteral("RadioButton20")));
    QVERIFY(c.checked(QStringLiteral("RadioButton1")));
}

void TestFactoryDefaults::mastersEndOffWithDependentsGreyed()
{
    MemoryControls c;
    buildChanged(c);
    // Every master on with its dependents enabled, as after the user switched them on.
    for (const interlocks::MasterSwitch &m : interlocks::masterSwitches()) {
        for (const QString &d : m.dependents)
            c.setEnabled(d, true);
    }
    applyFactoryDefaults(c);
    for (const interlocks::MasterSwitch &m : interlocks::masterSwitches()) {
        if (m.master == QLatin1String("CheckBox57"))
            continue; // the GPRS page keeps its state
        QVERIFY2(!c.checked(m.master), qPrintable(m.master));
        for (const QString &d : m.dependents)
            QVERIFY2(!c.enabled(d), qPrintable(m.master + QLatin1Char(' ') + d));
    }
    QVERIFY(c.enabled(QStringLiteral("Label104")));
}

void TestFactoryDefaults::partialArmingGreyedWhenTitleWasOff()
{
    MemoryControls c;
    interlocks::install(c);
    // Title off, yet the inputs enabled: its rule cannot run on a set to off.
    for (const QString &box : numbered("CheckBox", 114, 119))
        c.setEnabled(box, true);
    applyFactoryDefaults(c);
    for (const QString &box : numbered("CheckBox", 113, 119))
        QVERIFY2(!c.checked(box), qPrintable(box));
    for (const QString &box : numbered("CheckBox", 114, 119))
        QVERIFY2(!c.enabled(box), qPrintable(box));
}

void TestFactoryDefaults::ownResetsAreLeftAlone()
{
    MemoryControls c;
    buildChanged(c);
    c.setChecked(QStringLiteral("CheckBox57"), false);
    applyFactoryDefaults(c);
    for (const QString &edit : numbered("Edit", 1, 30) + QStringList{"Edit34", "Edit35", "Edit37", "Edit40"})
        QVERIFY2(c.text(edit) == QLatin1String("changed"), qPrintable(edit));
    QVERIFY(!c.checked(QStringLiteral("CheckBox57")));
}

QTEST_GUILESS_MAIN(TestFactoryDefaults)
#include "tst_factorydefaults.moc"
