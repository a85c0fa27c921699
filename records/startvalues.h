#pragma once

#include "records/memorycontrols.h"

#include <QList>
#include <QPair>
#include <QStringList>

// What an in-memory copy of the window needs to behave like the window: its radio
// sets, its drop-down lists and its start values. For fuzzing, benches, tools and
// tests that run without widgets (and so without the interlocks).
namespace records {

// Every radio set of the window, each in the order of its group box.
QList<QStringList> radioGroups();

// Every drop-down list with its item count.
QList<QPair<QString, int>> dropDownLists();

// A control set with the window's radio sets, lists and start values (texts, check
// marks, selections and enabled states as the window opens).
MemoryControls startControls();

// The controls that the record codecs read or set, with the kind of widget each must be.
enum class ControlType { CheckBox, RadioButton, ComboBox, LineEdit, Label };
QList<QPair<QString, ControlType>> codecControls();

} // namespace records
