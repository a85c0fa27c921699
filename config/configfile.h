#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <optional>

// A configuration as text a person can read, edit and diff:
//
//   # tavrix-configuration 1
//   # Телефоны и SMS
//   Edit1 = +380501234567  # Телефонные номера: номер 1-го абонента
//   CheckBox1 = 1          # ...
//
// one "Name = value" line per control, comments after '#'. A file a person writes may
// name a control as the window reads it out ("Номер 1-го абонента = +380..."), in any
// letter case; the files the programs write keep the control names. A text value is quoted when
// it is empty, has leading or trailing spaces, holds a '#' or a control character, or
// starts with a quote; inside quotes a backslash escapes the next character, and
// "\xHH" stands for the control character U+00HH (a controller may hold a line feed
// or a tab in a text, and a line of the file must stay one line).
namespace config {

inline constexpr char kFormatName[] = "tavrix-configuration";
inline constexpr int kFormatVersion = 1;

// A whole configuration is about 20 KB; anything far larger is not one, and is refused
// before it is read whole (a device or a pipe without end costs nothing).
inline constexpr qint64 kMaxFileBytes = 1024 * 1024;

struct Entry
{
    QString name;
    QString value;
    int line = 0; // where it stood in its file; 0 when made in memory
};

// Named values in the order they were added; a name appears at most once.
class Configuration
{
public:
    void set(const QString &name, const QString &value, int line = 0);
    bool contains(const QString &name) const { return indexOf(name) >= 0; }
    QString value(const QString &name) const;
    const Entry *find(const QString &name) const;
    const QList<Entry> &entries() const { return m_entries; }
    int size() const { return int(m_entries.size()); }
    bool isEmpty() const { return m_entries.isEmpty(); }

private:
    int indexOf(const QString &name) const;
    QList<Entry> m_entries;
    QHash<QString, int> m_index; // name -> place in m_entries, so that a big file loads in linear time
};

// Why a file was refused: its name, the line (0: the file as a whole) and the reason.
struct FileError
{
    QString file;
    int line = 0;
    QString reason;

    QString message() const;
};

// The syntax alone: format line, "Name = value" lines, quoting, names given twice.
// Whether the names and values fit the window is the catalog's business.
std::optional<FileError> parse(const QByteArray &bytes, const QString &fileName, Configuration *out);

// A value as it stands in a file, quoted where needed.
QString quoted(const QString &text);

// A text as a message quotes it: at most about 40 characters, control characters as
// "\xHH", so that a refusal stays one short line whatever the file holds.
QString excerpt(const QString &text);

// One character as a message names it: 'a' (U+0061), NUL, a carriage return
// (U+000D), a control character (U+0001); a character outside the Basic Plane by its
// own code point, not by its UTF-16 halves.
QString characterName(char32_t ch);

// Whether a character is a control character (C0, DEL or C1).
inline bool isControl(char32_t ch)
{
    return ch < 0x20 || (ch >= 0x7f && ch < 0xa0);
}

// Reads a file of at most kMaxFileBytes; a larger one (or a device or pipe that goes on)
// is refused after at most that many bytes.
std::optional<FileError> readFile(const QString &path, QByteArray *bytes);

} // namespace config
