#include "report/helperprocess.h"

#include <QByteArray>
#include <QtGlobal>

namespace report {

void prepareHelperProcess()
{
    // Drawing a PDF needs fonts, not a screen.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

} // namespace report
