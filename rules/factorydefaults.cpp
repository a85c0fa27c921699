#include "rules/factorydefaults.h"

#include "records/controlnames.h"
#include "records/controls.h"
#include "rules/interlocks.h"

namespace {

void add(std::vector<FactoryValue> &values, FactoryValue::Kind kind, const QStringList &names, int value = 0)
{
    for (const QString &name : names)
        values.push_back({kind, name, value, {}});
}

void add(std::vector<FactoryValue> &values, FactoryValue::Kind kind, const char *name, int value = 0)
{
    values.push_back({kind, QLatin1String(name), value, {}});
}

void addText(std::vector<FactoryValue> &values, const char *name, const char *text)
{
    values.push_back({FactoryValue::Text, QLatin1String(name), 0, QLatin1String(text)});
}

QStringList boxes(int from, int to)
{
    return names::numbered("CheckBox", from, to);
}

std::vector<FactoryValue> build()
{
    using K = FactoryValue;
    std::vector<FactoryValue> v;

    // "Телефоны и SMS": subscriber 1 gets the alarm, arming, mains and battery SMS.
    for (int first : {1, 10, 19, 28}) {
        add(v, K::Check, boxes(first, first), 1);
        add(v, K::Check, boxes(first + 1, first + 8), 0);
    }
    add(v, K::Check, boxes(37, 45), 0);
    add(v, K::Check, boxes(58, 66), 0);
    add(v, K::Check, "CheckBox76", 1);
    add(v, K::Check, "CheckBox77", 1);

    // "Настройки"
    add(v, K::Radio, "RadioButton32");
    add(v, K::Radio, "RadioButton35");
    add(v, K::Radio, "RadioButton39");
    add(v, K::Index, "ComboBox19", 2);
    add(v, K::Index, "ComboBox21", 1);
    add(v, K::Index, "ComboBox22", 7);
    add(v, K::Index, "ComboBox30", 9);
    add(v, K::Index, "ComboBox27", 9);
    add(v, K::Index, "ComboBox2", 3);
    add(v, K::Radio, "RadioButton42");
    add(v, K::Check, "CheckBox68", 1);
    add(v, K::Check, "CheckBox47", 0);
    add(v, K::Check, "CheckBox80", 0);
    addText(v, "Edit36", "111");
    addText(v, "Edit38", "10");
    addText(v, "Edit31", "7913");

    // "Входы": every input off.
    for (const char *radio : {"RadioButton1", "RadioButton4", "RadioButton7", "RadioButton10", "RadioButton13",
                              "RadioButton16"})
        add(v, K::Radio, radio);
    add(v, K::Check, "CheckBox48", 0);
    add(v, K::Check, "CheckBox54", 0);
    add(v, K::Index, "ComboBox24", 0);
    add(v, K::Index, "ComboBox26", 0);

    // "Выходы"
    add(v, K::Radio, "RadioButton22");
    add(v, K::Check, "CheckBox78", 0);
    add(v, K::Check, "CheckBox79", 0);
    add(v, K::Radio, "RadioButton25");
    add(v, K::Radio, "RadioButton26");
    add(v, K::Radio, "RadioButton28");
    add(v, K::Radio, "RadioButton30");
    add(v, K::Check, boxes(49, 53), 0);
    add(v, K::Index, "ComboBox18", 0);
    add(v, K::Index, "ComboBox20", 0);

    // "Ключи Dallas". The inputs are greyed first, so they end disabled even when the
    // title switch is off already and its rule does not run.
    add(v, K::Check, "CheckBox46", 1);
    add(v, K::Disable, boxes(114, 119));
    add(v, K::Check, "CheckBox113", 0);
    add(v, K::Check, boxes(114, 119), 0);

    // "Тексты SMS"
    add(v, K::Check, "CheckBox55", 0);

    // "Термометр"
    add(v, K::Check, "CheckBox56", 0);
    addText(v, "Edit32", "7");
    addText(v, "Edit33", "40");

    // "Звуковые сообщения"
    add(v, K::Check, "CheckBox108", 0);
    add(v, K::Check, "CheckBox109", 0);
    add(v, K::Check, "CheckBox110", 0);
    add(v, K::Check, boxes(81, 107), 0);

    // "GSM-домофон"
    add(v, K::Check, "CheckBox67", 0);
    add(v, K::Check, "CheckBox69", 0);
    add(v, K::Check, boxes(71, 75), 0);
    add(v, K::Check, "CheckBox70", 0);
    return v;
}

} // namespace

const std::vector<FactoryValue> &factoryValues()
{
    static const std::vector<FactoryValue> values = build();
    return values;
}

void applyFactoryDefaults(Controls &controls)
{
    for (const FactoryValue &value : factoryValues()) {
        switch (value.kind) {
        case FactoryValue::Check:
            controls.setChecked(value.name, value.value != 0);
            break;
        case FactoryValue::Radio:
            controls.setChecked(value.name, true);
            break;
        case FactoryValue::Index:
            controls.setIndex(value.name, value.value);
            break;
        case FactoryValue::Text:
            controls.setText(value.name, value.text);
            break;
        case FactoryValue::Disable:
            controls.setEnabled(value.name, false);
            break;
        }
    }
}
