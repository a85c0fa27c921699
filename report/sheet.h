#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

class Controls;

namespace config {
class Catalog;
}

// The configuration sheet an installer hands over with a system: what each page holds,
// as a person reads it. A plain structure, made from the catalog and a set of controls,
// so that the HTML and the PDF say the same and neither needs the window.
namespace report {

struct Row
{
    QStringList cells;
    bool inUse = true; // false: a page rule has greyed the option out
};

// A table with column captions; an option list is a table of caption and value.
struct Block
{
    QString heading;
    QStringList columns;
    QList<Row> rows;
};

struct Section
{
    QString title; // the page's tab caption
    QList<Block> blocks;
};

struct Sheet
{
    QString title;
    QDateTime made;
    QString source;      // the file's name, or the port and its device
    QString version;     // the configurator's
    QString fingerprint; // see fingerprint()
    bool masked = false;
    QList<Section> sections;
};

// "2.0": the version of this build.
QString configuratorVersion();

// The first 12 hex digits of the SHA-256 of a settings record.
QString fingerprint(const QByteArray &record);

// The settings record these controls write (built on a copy: building writes
// defaults back into boxes), and its fingerprint.
QByteArray recordOf(const config::Catalog &catalog, const Controls &controls);

// All but the last three characters of a phone number or key replaced by '*'.
QString masked(const QString &text);

struct Origin
{
    QString source;
    QString version;
    QDateTime made = QDateTime::currentDateTime();
    bool mask = false;
};

// Every page in the window's order: the subscribers, keys and SMS words as tables,
// every other control as a caption and its value.
Sheet build(const config::Catalog &catalog, const Controls &controls, const Origin &origin);

// The texts a sheet uses for a value, so that a reader of a sheet finds them.
inline constexpr char16_t kYes[] = u"да";
inline constexpr char16_t kNo[] = u"нет";

} // namespace report
