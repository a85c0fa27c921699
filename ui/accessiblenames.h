#pragma once

#include <QList>
#include <QString>

class QWidget;

// What a screen reader says for each control of a page, and the order Tab walks it in.
namespace accessible {

// Names every control of the page that a user can focus: from its own caption (with
// the lines a caption continues on below it), from a grid's row and column, or from
// the label beside or above it; an edit box with a length counter says its limit in
// its description. Names that would repeat on the page say their group. Returns the
// controls the keyboard reaches (Tab or a click) in reading order: rows from top to
// bottom, left to right within a row, a group box's controls together where the group
// stands. The page is read once for both.
QList<QWidget *> nameControls(QWidget *page);

// Tab stops at the chosen button of each set of radio buttons, whichever it becomes.
void tabToTheChosenRadio(QWidget *page);

// Sets a page's Tab order to its reading order, as nameControls() returns it.
void orderTabStops(const QList<QWidget *> &readingOrder);

// The name a grid cell takes from its row ("Номер 3-го абонента"), or an empty string.
QString gridName(const QString &controlName);

} // namespace accessible
