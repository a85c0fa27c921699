#include "app/desktopidentity.h"

#include "app/windowclass.h"

#include <QApplication>
#include <QDirIterator>
#include <QIcon>
#include <QImageReader>
#include <QPixmap>

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
    // Read as the PNGs they are: a reader left to guess asks every image plugin first,
    // loading each, before the window can show.
    QIcon icon;
    QDirIterator sizes(QStringLiteral(":/icons"));
    while (sizes.hasNext()) {
        QImageReader reader(sizes.next(), "png");
        reader.setAutoDetectImageFormat(false);
        if (const QImage image = reader.read(); !image.isNull())
            icon.addPixmap(QPixmap::fromImage(image));
    }
    QApplication::setWindowIcon(icon);
    static bool classSet = false;
    if (!std::exchange(classSet, true))
        useWindowClass(desktopApplicationId());
}
