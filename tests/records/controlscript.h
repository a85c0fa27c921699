#pragma once

#include "records/controls.h"
#include "tests/support/expectedcontrols.h"
#include "tests/support/startrecord.h"

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

// "enabled:<name>=1" (or =0) for each name.
QStringList enabledLines(const QStringList &names, bool on);

using expected::startFields;
using expected::startRecord;

} // namespace script
