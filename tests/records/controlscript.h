#pragma once

#include "protocol/records/controls.h"

#include <QByteArray>
#include <QStringList>

// Control states written as short lines, so that test tables stay readable:
//   "CheckBox5=1", "RadioButton27=1"   check mark (radio buttons: 1 selects)
//   "ComboBox18=-1"                     item index
//   "Edit36=11", "Edit38="              text (everything after '=')
//   "enabled:CheckBox119=0"             enabled state
namespace script {

void apply(Controls &c, const QStringList &lines);

// The lines whose state differs, each as "line (is: actual)"; empty when all hold.
QStringList mismatches(const Controls &c, const QStringList &lines);

// "READ_SET_" + payload + CR, the reply as the dispatcher hands it over.
QByteArray reply(const char *word, const QByteArray &payload);

// The record as it leaves the window at start, written out by hand.
QByteArray startRecord();

// Offsets 0 to 89 of startRecord().
QByteArray startFields();

} // namespace script
