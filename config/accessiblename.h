#pragma once

#include <QHash>
#include <QList>
#include <QRect>
#include <QString>

namespace config {

// A widget of a page form as the build read it.
struct PageWidget
{
    QString name;
    QString cls;    // "QCheckBox", "QLabel", "QGroupBox", ...
    QString parent; // the widget it stands in; empty for the form itself
    QRect at;       // within its parent
    QString text;
    QString title;  // group box
    QString toolTip;
};

// A control a user can focus, in the reading order of its page: what a screen reader
// says for it, and the label beside or above it (its object name), if it has one.
struct NamedControl
{
    QString control;
    QString name;
    QString label;
};

// The controls of a form's pages (its widgets without a parent), each page in reading
// order: rows from top to bottom, left to right within a row, a group box's controls
// together where the group stands. Each is named from the grid name of its row, its own caption, the label beside or
// above it, its hint or its group; a name that would repeat on the page says its group,
// else its place. Worked out from the form alone, so that the tool, which makes no
// widget, knows the names a person reads in the window; the window names its live
// pages through the same rule.
QList<NamedControl> namedControls(const QList<PageWidget> &form);

// The same as control name → name.
QHash<QString, QString> accessibleNames(const QList<PageWidget> &form);

// The name a grid cell takes from its row ("Номер 3-го абонента"), or an empty string.
QString gridName(const QString &controlName);

} // namespace config
