#include "app/desktopidentity.h"

#include <QApplication>
#include <QDirIterator>
#include <QIcon>

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
}
