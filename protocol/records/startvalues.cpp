#include "protocol/records/startvalues.h"

#include "protocol/records/controlnames.h"
#include "protocol/records/presets.h"
#include "protocol/records/settingsfields.h"

namespace records {
namespace {

using names::radioButtons;

// Every drop-down list has ten items; the index each one shows as the window opens.
struct ListStart
{
    const char *name;
    int index;
};
constexpr ListStart kLists[] = {
    {"ComboBox27", 9}, {"ComboBox19", 2}, {"ComboBox21", 1}, {"ComboBox22", 6}, {"ComboBox2", 3},
    {"ComboBox30", 9}, {"ComboBox24", 0}, {"ComboBox26", 0}, {"ComboBox18", 0}, {"ComboBox20", 0},
};
constexpr int kListItems = 10;

} // namespace

QList<QStringList> radioGroups()
{
    return {
        radioButtons({1, 2, 3, 19, 20}),             // input 1
        radioButtons({4, 5, 6}),                     // input 2
        radioButtons({7, 8, 9}),                     // input 3
        radioButtons({10, 11, 12}),                  // input 4
        radioButtons({13, 14, 15}),                  // input 5
        radioButtons({16, 17, 18}),                  // input 6
        radioButtons({21, 22, 23}),                  // output 1
        radioButtons({24, 25}),                      // output 2
        radioButtons({26, 27}),                      // output 3
        radioButtons({28, 29}),                      // output 4
        radioButtons({30, 31}),                      // output 5
        radioButtons({32, 33, 34}),                  // jammer detector
        radioButtons({35, 36, 37, 38}),              // anti-roaming
        radioButtons({39, 40, 41}),                  // low battery
        radioButtons({42, 43, 44, 45, 46, 47, 48}),  // automatic status SMS
    };
}

QList<QPair<QString, int>> dropDownLists()
{
    QList<QPair<QString, int>> out;
    for (const ListStart &list : kLists)
        out.append({QString::fromLatin1(list.name), kListItems});
    return out;
}

MemoryControls startControls()
{
    MemoryControls c;
    for (const QStringList &group : radioGroups())
        c.addRadioGroup(group);
    for (const ListStart &list : kLists)
        c.addList(QString::fromLatin1(list.name), kListItems, list.index);

    // Every check box the codecs touch starts off, except these.
    for (const Field &f : settingsFields()) {
        if (f.kind == FieldKind::Choice)
            continue;
        for (const QString &name : f.controls) {
            if (name.startsWith(QLatin1String("CheckBox")))
                c.setChecked(name, false);
        }
    }
    for (const char *name : {"CheckBox1", "CheckBox10", "CheckBox19", "CheckBox28", "CheckBox76",
                             "CheckBox77", "CheckBox46", "CheckBox68", "CheckBox57"})
        c.setChecked(QString::fromLatin1(name), true);
    for (int n : {1, 4, 7, 10, 13, 16, 22, 25, 26, 28, 30, 32, 35, 39, 42})
        c.setChecked(QStringLiteral("RadioButton%1").arg(n), true);

    for (int k = 1; k <= 9; ++k) {
        c.setText(QStringLiteral("Edit%1").arg(k), QString::fromLatin1(presets::kEmptyPhone));
        c.setText(QStringLiteral("Edit%1").arg(9 + k), QString());
    }
    for (int k = 1; k <= 12; ++k)
        c.setText(QStringLiteral("Edit%1").arg(18 + k), QString::fromLatin1(presets::kSmsWords[size_t(k - 1)]));
    const QList<QPair<const char *, const char *>> texts = {
        {"Edit31", "7913"}, {"Edit32", "07"}, {"Edit33", "40"}, {"Edit36", "111"},
        {"Edit38", "10"},   {"Edit34", presets::kOperatorApn[0]},
        {"Edit35", presets::kServerAddress}, {"Edit40", presets::kServerPort},
        {"Edit37", presets::kTransmissionTime},
    };
    for (const auto &[name, text] : texts)
        c.setText(QString::fromLatin1(name), QString::fromLatin1(text));

    // Greyed at start: the dependents of the switches that start off, and the server
    // group although its switch starts on (no rule runs at start).
    QStringList disabled = {"Label23", "Label27", "Label30", "Label44", "Edit32", "Edit33",
                            "Label8", "Label9", "Label10", "Label11", "Label12", "Edit36", "Edit38",
                            "Label94", "Label95", "Label109", "Edit35", "Edit37", "Edit40",
                            "Label106", "CheckBox69", "CheckBox70", "CheckBox109", "CheckBox110",
                            "Label14", "Label15", "Label16", "Label20", "Label102", "Label103",
                            "Label13", "Label105", "Label107", "Label108"};
    disabled += names::numbered("CheckBox", 71, 75);
    disabled += names::numbered("CheckBox", 81, 107);
    disabled += names::numbered("Label", 97, 101);
    disabled += names::numbered("CheckBox", 114, 119);
    for (const QString &name : disabled)
        c.setEnabled(name, false);
    return c;
}

QList<QPair<QString, ControlType>> codecControls()
{
    QList<QPair<QString, ControlType>> out;
    const auto typeOf = [](const QString &name) {
        if (name.startsWith(QLatin1String("CheckBox")))
            return ControlType::CheckBox;
        if (name.startsWith(QLatin1String("RadioButton")))
            return ControlType::RadioButton;
        if (name.startsWith(QLatin1String("ComboBox")))
            return ControlType::ComboBox;
        if (name.startsWith(QLatin1String("Edit")))
            return ControlType::LineEdit;
        return ControlType::Label;
    };
    QStringList names;
    for (const Field &f : settingsFields())
        names += f.controls + f.enables;
    for (int n = 1; n <= 30; ++n)
        names << QStringLiteral("Edit%1").arg(n);
    names << QStringLiteral("Edit34") << QStringLiteral("Edit35") << QStringLiteral("Edit40")
          << QStringLiteral("Edit37");
    names.removeDuplicates();
    for (const QString &name : names)
        out.append({name, typeOf(name)});
    return out;
}

} // namespace records
