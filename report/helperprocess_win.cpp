#include "report/helperprocess.h"

#include <QByteArray>
#include <QtGlobal>

#include <cstdio>
#include <fcntl.h>
#include <io.h>

namespace report {

void prepareHelperProcess()
{
    // Both streams carry binary data.
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    // The one platform plugin the package ships, whatever the environment names; it
    // opens no window here.
    qputenv("QT_QPA_PLATFORM", "windows");
}

} // namespace report
