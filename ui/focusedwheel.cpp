#include "ui/focusedwheel.h"

#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QPointer>
#include <QScrollBar>

namespace {

// A scroll bar is the scrolling itself, and has no focus to wait for; a list's open
// drop-down is a view of its own and scrolls as ever.
bool valueControl(const QObject *o)
{
    return qobject_cast<const QComboBox *>(o) || qobject_cast<const QAbstractSpinBox *>(o)
        || (qobject_cast<const QAbstractSlider *>(o) && !qobject_cast<const QScrollBar *>(o));
}

class FocusedWheel : public QObject
{
public:
    using QObject::QObject;

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::Polish:
        case QEvent::Enter:
            // Qt gives the focus to a control with a wheel-focus policy before the control
            // sees the wheel; Tab and a click still give it. Seen again as the mouse comes
            // in, for a policy set after the control was first shown.
            if (valueControl(watched)) {
                auto *w = static_cast<QWidget *>(watched);
                if (w->focusPolicy() == Qt::WheelFocus)
                    w->setFocusPolicy(Qt::StrongFocus);
            }
            break;
        case QEvent::Wheel:
            // Ignored, the wheel goes on to the parents as it would over a label, up to the
            // scroll area that holds the page.
            if (valueControl(watched) && !static_cast<QWidget *>(watched)->hasFocus()) {
                event->ignore();
                return true;
            }
            break;
        default:
            break;
        }
        return false;
    }
};

} // namespace

void useWheelOnlyWithFocus()
{
    // One filter for the application, made again for a new one.
    static QPointer<QObject> installed;
    if (installed)
        return;
    installed = new FocusedWheel(qApp);
    qApp->installEventFilter(installed);
}
