#pragma once

#include "config/fingerprint.h"

#include <QByteArray>
#include <QDate>
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
    bool options = false; // caption and value rows, rather than a table of its own
};

// Who the system is handed over to, where and by whom. What is not known is left as a
// line to write on by hand; the site book fills it where it knows the controller.
struct Handover
{
    QString site;
    QString customer;
    QString installer;
    QDate date;
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
    QString source;      // readFromController(), readFromFile() or composedInWindow()
    Handover handover;
    QString version;     // the configurator's
    QString fingerprint; // see fingerprint()
    bool masked = false;
    QList<Section> sections;
};

// "2.0": the version of this build.
QString configuratorVersion();

// The first 12 hex digits of the SHA-256 of a settings record, and the record some
// controls write: the configuration's own, shared with the site book.
using config::fingerprint;
using config::recordOf;

// All but the last three characters of a phone number or key replaced by '*'.
QString masked(const QString &text);

// What a masked sheet shows for a secret it hides whole (the SMS command password).
inline constexpr char16_t kHidden[] = u"скрыт";

// Where the settings on a sheet came from: "Прочитано с контроллера (COM1), 08.12.2026
// 10:41" (local time), "Из файла site.cfg" (the name only), or typed in the window.
QString readFromController(int com, const QDateTime &at);
// The same for a port named "COM3" or by its network address.
QString readFromController(const QString &port, const QDateTime &at);
// A settings read of a controller: its port and when, and whether the pages have been
// changed since. No port: nothing read.
struct ControllerRead
{
    int com = 0;
    QDateTime at;
    bool changedSince = false;
};
// A source whose settings the window has changed since: "Из файла site.cfg, изменено в окне".
QString changedInWindow(const QString &source);
QString readFromFile(const QString &path);
QString composedInWindow();

// A caption of the pages as the sheet prints it: without the form's trailing marks
// (", *", " :"), spelled correctly, and whole where the page breaks it over labels.
// The window's own texts stay as they are.
QString sheetCaption(const QString &caption);

struct Origin
{
    QString source;
    QString version;
    QDateTime made = QDateTime::currentDateTime();
    bool mask = false;
    Handover handover;
};

// Every page in the window's order: the subscribers, keys and SMS words as tables,
// every other control as a caption and its value.
Sheet build(const config::Catalog &catalog, const Controls &controls, const Origin &origin);

// The texts a sheet uses for a value, so that a reader of a sheet finds them.
inline constexpr char16_t kYes[] = u"да";
inline constexpr char16_t kNo[] = u"нет";

} // namespace report
