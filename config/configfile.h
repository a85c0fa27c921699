#pragma once

#include <QByteArray>
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
// one "Name = value" line per control, comments after '#'. A text value is quoted when
// it is empty, has leading or trailing spaces, holds a '#' or starts with a quote;
// inside quotes a backslash escapes the next character.
namespace config {

inline constexpr char kFormatName[] = "tavrix-configuration";
inline constexpr int kFormatVersion = 1;

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

} // namespace config
