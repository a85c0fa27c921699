#include "records/readable.h"

#include "records/blocks.h"
#include "records/recordmap.h"
#include "records/records.h"
#include "records/startvalues.h"

#include <QHash>
#include <QSet>
#include <algorithm>

namespace records {
namespace {

struct Readable
{
    QHash<QString, QList<int>> indices;
    QHash<QString, QSet<char32_t>> characters;
};

const Readable &readable()
{
    static const Readable table = [] {
        MemoryControls start = startControls();
        const QByteArray startRecord = buildSettings(start);

        // The lists and edit boxes the fields and slots before the internet block carry.
        Readable out;
        QSet<QString> edits;
        QSet<QString> lists;
        for (int offset = 0; offset < kGprsOffset; ++offset) {
            for (const QString &name : placeAt(startRecord, offset).controls) {
                if (name.startsWith(QLatin1String("Edit"))) {
                    edits.insert(name);
                    out.characters[name]; // also where no byte shows a character
                } else if (name.startsWith(QLatin1String("ComboBox"))) {
                    lists.insert(name);
                }
            }
        }

        QHash<QString, QSet<int>> indices;
        for (int code = 1; code < 256; ++code) {
            // A carriage return ends a reply, a zero byte the text a reader takes: a
            // well-formed record holds neither before its internet block.
            if (code == '\r')
                continue;
            QByteArray record = startRecord;
            std::fill(record.begin(), record.begin() + kGprsOffset, char(code));
            MemoryControls read = startControls();
            // The record alone is the whole payload: it holds no CR or NUL to end it early.
            applySettings(read, record, 0);
            for (const QString &name : std::as_const(lists))
                indices[name].insert(read.index(name));
            for (const QString &name : std::as_const(edits)) {
                for (const uint ch : read.text(name).toUcs4())
                    out.characters[name].insert(char32_t(ch));
            }
        }
        for (auto it = indices.cbegin(); it != indices.cend(); ++it) {
            QList<int> sorted(it->cbegin(), it->cend());
            std::sort(sorted.begin(), sorted.end());
            out.indices.insert(it.key(), sorted);
        }
        return out;
    }();
    return table;
}

} // namespace

QList<int> readableIndices(const QString &list)
{
    return readable().indices.value(list);
}

bool readCanShowCharacter(const QString &edit, char32_t ch)
{
    const auto it = readable().characters.constFind(edit);
    return it != readable().characters.cend() && it->contains(ch);
}

bool readShowsCharactersOf(const QString &edit)
{
    return readable().characters.contains(edit);
}

} // namespace records
