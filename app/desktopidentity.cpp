#include "app/desktopidentity.h"

#include "app/windowclass.h"

#include <QApplication>
#include <QDirIterator>
#include <QIcon>

#include <utility>

static void initIconResource()
{
    // The icon's sizes are compiled into this static library; make sure they are registered.
    Q_INIT_RESOURCE(icon);
}

QString desktopApplicationId()
{
    return QStringLiteral(TAVRIX_APP_ID);
}

void useDesktopIdentity()
{
    initIconResource();
    QGuiApplication::setDesktopFileName(desktopApplicationId());
    QIcon icon;
    QDirIterator sizes(QStringLiteral(":/icons"));
    while (sizes.hasNext())
        icon.addFile(sizes.next());
    QApplication::setWindowIcon(icon);
    static bool classSet = false;
    if (!std::exchange(classSet, true))
        useWindowClass(desktopApplicationId());
}
