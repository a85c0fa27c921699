#include "records/fieldmeaning.h"

#include "records/blocks.h"
#include "records/settingsfields.h"

#include <QHash>

namespace records {

QString meaningOf(const QString &controlName)
{
    // A control that several rows touch takes the meaning of the row it heads (the
    // partial-arming row also clears the siren box of the next one), and a control of a
    // settings field and a block (the transmission time) the field's.
    static const QHash<QString, QString> meanings = [] {
        QHash<QString, QString> out;
        for (const Field &f : settingsFields()) {
            if (!f.controls.isEmpty())
                out.insert(f.controls.first(), QString::fromUtf8(f.meaning));
        }
        for (const Field &f : settingsFields()) {
            for (const QString &name : f.controls) {
                if (!out.contains(name))
                    out.insert(name, QString::fromUtf8(f.meaning));
            }
        }
        for (const Block &b : blocks()) {
            for (int i = 0; i < b.controls.size(); ++i) {
                if (!out.contains(b.controls[i]))
                    out.insert(b.controls[i], b.meanings[i]);
            }
        }
        return out;
    }();
    return meanings.value(controlName);
}

QString fieldMeaningAt(int offset)
{
    for (const Field &f : settingsFields()) {
        if (offset >= f.offset && offset < f.offset + f.width)
            return QString::fromUtf8(f.meaning);
    }
    return {};
}

} // namespace records
