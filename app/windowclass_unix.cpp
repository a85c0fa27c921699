#include "app/windowclass.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QPlatformSurfaceEvent>
#include <QWindow>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>
#include <utility>

namespace {

// On X11 the task bar matches a window to its menu entry by WM_CLASS. Qt fills the class
// half with the application name, which here is the Russian title: not Latin-1 as the
// property must be, and not the entry's name. Each window gets the id there instead,
// before it is first shown; the instance half (the program's name) stays as Qt set it.
class WindowClassSetter : public QObject
{
public:
    WindowClassSetter(QString id, QObject *parent) : QObject(parent), m_id(std::move(id)) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::PlatformSurface
            && static_cast<QPlatformSurfaceEvent *>(event)->surfaceEventType()
                   == QPlatformSurfaceEvent::SurfaceCreated) {
            if (auto *window = qobject_cast<QWindow *>(watched))
                setWindowClass(window);
        }
        return false;
    }

private:
    void setWindowClass(QWindow *window) const
    {
        // Other platforms (offscreen among them) may offer the interface without a connection.
        const auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
        if (QGuiApplication::platformName() != QLatin1String("xcb") || !x11 || !x11->connection())
            return;
        xcb_connection_t *connection = x11->connection();
        const auto id = xcb_window_t(window->winId());
        const xcb_get_property_cookie_t cookie =
            xcb_get_property(connection, 0, id, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 0, 256);
        const std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
            xcb_get_property_reply(connection, cookie, nullptr), &std::free);
        QByteArray instance;
        if (reply && reply->format == 8)
            instance = QByteArray(static_cast<const char *>(xcb_get_property_value(reply.get())),
                                  xcb_get_property_value_length(reply.get()))
                           .split('\0')
                           .value(0);
        if (instance.isEmpty())
            instance = QFileInfo(QCoreApplication::applicationFilePath()).fileName().toLocal8Bit();
        const QByteArray value = instance + '\0' + m_id.toLatin1() + '\0';
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                            uint32_t(value.size()), value.constData());
        xcb_flush(connection);
    }

    QString m_id;
};

} // namespace

void useWindowClass(const QString &id)
{
    qApp->installEventFilter(new WindowClassSetter(id, qApp));
}
