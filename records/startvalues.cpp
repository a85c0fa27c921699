#include "records/startvalues.h"

#include "records/blocks.h"
#include "records/formstart.h"
#include "records/settingsfields.h"

#include <span>

namespace records {
namespace {

std::span<const FormControl> formControls()
{
    return {kFormControls, size_t(kFormControlCount)};
}

QString nameOf(const FormControl &c)
{
    return QString::fromLatin1(c.name);
}

} // namespace

QList<QStringList> radioGroups()
{
    // A radio button's set is the widget it stands in, as in the window.
    QList<QStringList> groups;
    QList<QByteArray> parents;
    for (const FormControl &c : formControls()) {
        if (c.kind != FormControl::RadioButton)
            continue;
        const qsizetype at = parents.indexOf(QByteArray(c.parent));
        if (at >= 0) {
            groups[at] << nameOf(c);
        } else {
            parents << QByteArray(c.parent);
            groups << QStringList{nameOf(c)};
        }
    }
    return groups;
}

QList<QPair<QString, int>> dropDownLists()
{
    QList<QPair<QString, int>> out;
    for (const FormControl &c : formControls()) {
        if (c.kind == FormControl::ComboBox)
            out.append({nameOf(c), c.items});
    }
    return out;
}

MemoryControls startControls()
{
    static const MemoryControls start = [] {
        MemoryControls c;
        for (const QStringList &group : radioGroups())
            c.addRadioGroup(group);
        for (const FormControl &f : formControls()) {
            const QString name = nameOf(f);
            switch (f.kind) {
            case FormControl::CheckBox:
                c.setChecked(name, f.checked);
                break;
            case FormControl::RadioButton:
                if (f.checked)
                    c.setChecked(name, true);
                break;
            case FormControl::ComboBox:
                c.addList(name, f.items, f.index);
                break;
            case FormControl::LineEdit:
                c.setText(name, QString::fromUtf8(f.text));
                break;
            case FormControl::Label:
                break;
            }
            c.setEnabled(name, f.enabled);
        }
        return c;
    }();
    return start;
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
    for (const Block &b : blocks())
        names += b.controls;
    names.removeDuplicates();
    for (const QString &name : names)
        out.append({name, typeOf(name)});
    return out;
}

} // namespace records
