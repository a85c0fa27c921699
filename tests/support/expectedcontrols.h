#pragma once

#include <QStringList>

namespace expected {

// The monitoring-server group on the page "GPRS-канал" that CheckBox57 switches, in
// the order the page lists them: written out here once for the tests, apart from the
// tables of the program they check.
inline QStringList serverControls()
{
    return {"Label94", "Label95", "Edit35", "Edit37", "Label109", "Edit40"};
}

} // namespace expected
