#pragma once

#include <QList>
#include <QRect>
#include <QString>

namespace config {

// A label that shares a control's parent, where it stands.
struct NearbyLabel
{
    QRect at;
    QString text;
};

// What a reader of the pages knows of one control: the live widgets and the forms'
// tables give the same facts, so both find the same caption.
struct CaptionFacts
{
    bool button = false; // a check box, radio or push button: its own text says what it is
    QString text;
    QString toolTip;
    QRect at;
    QList<NearbyLabel> labels; // the labels beside it (same parent)
    QString group;             // the title of the nearest group box around it; empty: none
};

// What the control says on its page: a button's own text (carried on by a label just
// under it), else its hint, else the header above its column and the label to its left;
// prefixed "group: " where the caption is its own and it sits in a group box, the group's
// title alone where it says nothing.
QString captionOf(const CaptionFacts &facts);

} // namespace config
