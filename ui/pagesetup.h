#pragma once

#include <QString>

class QColor;
class QWidget;

// The ten pages as built from their Designer forms, with the set-up a form cannot
// hold. The tab control only arranges them.
namespace pages {

int count();

// The tab caption of the page at this tab index.
QString caption(int index);

// Builds the page at this tab index from its form. Its editable drop-down lists keep
// typed text off the list (their value is an item index, which only choosing gives).
QWidget *build(int index);

// A check box that stands on a group box's top edge as the group's title fills its
// background (the form marks it so) to hide the frame line behind its caption; the
// fill is the tab pane's colour, which the style derives from the palette.
void fillTitleSwitches(QWidget *page, const QColor &pane);

} // namespace pages
