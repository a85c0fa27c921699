#include "app/desktopidentity.h"

#include "app/iconpixels.h"
#include "app/windowclass.h"

#include <QApplication>
#include <QIcon>
#include <QImage>
#include <QPixmap>

#include <utility>

QString desktopApplicationId()
{
    return QStringLiteral(TAVRIX_APP_ID);
}

void useDesktopIdentity()
{
    QGuiApplication::setDesktopFileName(desktopApplicationId());
    // The pixels were decoded at build time; the images only point at them.
    QIcon icon;
    for (int i = 0; i < kIconPixelsCount; ++i) {
        const IconPixels &size = kIconPixels[i];
        const QImage image(reinterpret_cast<const uchar *>(size.argb), size.side, size.side, size.side * 4,
                           QImage::Format_ARGB32_Premultiplied);
        icon.addPixmap(QPixmap::fromImage(image));
    }
    QApplication::setWindowIcon(icon);
    static bool classSet = false;
    if (!std::exchange(classSet, true))
        useWindowClass(desktopApplicationId());
}
