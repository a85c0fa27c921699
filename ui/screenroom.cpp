#include "ui/screenroom.h"

#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <cmath>

namespace screenroom {

QRect available(const QWidget *window)
{
    const QScreen *on = window->screen();
    if (!on)
        return {};
    const qreal ratio = window->devicePixelRatioF();
    const int rounding = ratio == std::floor(ratio) ? 0 : 1;
    return on->availableGeometry().adjusted(0, 0, -rounding, -rounding);
}

QSize forClientArea(const QWidget *window, const QRect &available)
{
    const QWindow *handle = window->windowHandle();
    return available.size().shrunkBy(handle ? handle->frameMargins() : QMargins());
}

void keepOn(QWidget *window, const QRect &available)
{
    QRect placed = window->frameGeometry();
    placed.moveRight(qMin(placed.right(), available.right()));
    placed.moveBottom(qMin(placed.bottom(), available.bottom()));
    placed.moveLeft(qMax(placed.left(), available.left()));
    placed.moveTop(qMax(placed.top(), available.top()));
    if (placed.topLeft() != window->frameGeometry().topLeft())
        window->move(placed.topLeft());
}

} // namespace screenroom
