#include "ui/windowrules.h"

#include "records/controls.h"
#include "wire/wiretext.h"
#include "ui/desktop.h"
#include "rules/interlocks.h"

#include <QApplication>
#include <QHash>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QWidget>

namespace {

constexpr int kBackspace = 8;

template<typename T>
T *namedWidget(const QHash<QString, QWidget *> &named, const QString &name)
{
    return qobject_cast<T *>(named.value(name));
}

} // namespace

WindowRules::WindowRules(QWidget *form, Controls &controls, Desktop &desktop) : QObject(form)
{
    // The program's own desktop is looked up at each use, so a recorder installed
    // later (a test) still hears the alerts.
    m_desktop = (&desktop == &Desktop::instance()) ? nullptr : &desktop;

    interlocks::install(controls);

    // The boxes and their counters by name, found in one walk over the window rather
    // than a walk each.
    QHash<QString, QWidget *> named;
    for (QWidget *w : form->findChildren<QWidget *>()) {
        if (const QString name = w->objectName(); !name.isEmpty() && !named.contains(name))
            named.insert(name, w);
    }

    for (const EditBoxRule &rule : editBoxRules()) {
        auto *edit = namedWidget<QLineEdit>(named, QLatin1String(rule.edit));
        if (!edit)
            continue;
        EditBoxFilter::KeyPress keyPress;
        switch (rule.cls) {
        case CharClass::Phone:
            keyPress = [this](QChar key) { return Edit1KeyPress(key); };
            break;
        case CharClass::KeyCode:
            keyPress = [this](QChar key) { return Edit10KeyPres(key); };
            break;
        case CharClass::Text:
            keyPress = [this](QChar key) { return Edit19KeyPress(key); };
            break;
        case CharClass::Digits:
            keyPress = [this](QChar key) { return Edit31KeyPress(key); };
            break;
        }
        auto *filter = new EditBoxFilter(edit, rule.cls, keyPress, [this] { alert(); });

        if (!rule.counter)
            continue;
        auto *label = namedWidget<QLabel>(named, QLatin1String(rule.counter));
        if (!label)
            continue;
        m_counters.emplace_back(edit, label, typedLimit(edit));
        connect(filter, &EditBoxFilter::keyReleased, this, &WindowRules::Edit19KeyUp_);
        // Text set by code (a reply, a reset button, the factory values) counts too.
        connect(edit, &QLineEdit::textChanged, this, [this, edit] { Edit19KeyUp_(edit); });
        m_counters.back().refresh();
    }

    m_edit1 = namedWidget<QLineEdit>(named, QStringLiteral("Edit1"));
    m_edit2 = namedWidget<QLineEdit>(named, QStringLiteral("Edit2"));
    if (m_edit1 || m_edit2) {
        auto *hook = new EventHook(
            [this](QObject *receiver, QEvent *event) { return ApplicationEvents1Message(receiver, event); }, this);
        qApp->installEventFilter(hook);
    }
}

void WindowRules::alert()
{
    (m_desktop ? *m_desktop : Desktop::instance()).alert();
}

bool WindowRules::judge(CharClass cls, QChar key)
{
    if (inClass(cls, key))
        return true;
    alert();
    return false;
}

bool WindowRules::Edit1KeyPress(QChar key)
{
    return judge(CharClass::Phone, key);
}

bool WindowRules::Edit10KeyPres(QChar key)
{
    return judge(CharClass::KeyCode, key);
}

bool WindowRules::Edit19KeyPress(QChar key)
{
    return judge(CharClass::Text, key);
}

bool WindowRules::Edit31KeyPress(QChar key)
{
    return judge(CharClass::Digits, key);
}

void WindowRules::Edit19KeyUp_(QLineEdit *sender)
{
    for (const LengthCounter &counter : m_counters) {
        if (counter.edit() == sender)
            counter.refresh();
    }
}

bool WindowRules::ApplicationEvents1Message(QObject *, QEvent *event)
{
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::InputMethod)
        return false;
    QWidget *focus = QApplication::focusWidget();
    if (!focus || (focus != m_edit1 && focus != m_edit2))
        return false;
    // A menu opened from the box takes the keyboard while the box keeps the focus;
    // its keys (Escape, Enter, accelerators) are not typed into the box.
    if (QApplication::activePopupWidget())
        return false;
    QString text;
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (!isCharacterMessage(key))
            return false;
        text = key->text();
    } else {
        text = static_cast<QInputMethodEvent *>(event)->commitString();
    }
    // Any ASCII character that is not a digit, "+" or backspace goes, silently. Codes
    // outside ASCII (Cyrillic, characters the code page lacks) and NUL reach the box's
    // own filter, which rejects them with the alert.
    for (QChar ch : text) {
        const int c = wire::codeOf(ch);
        const bool ascii = c > 0 && c < 128;
        const bool numberKey = (c >= '0' && c <= '9') || c == '+' || c == kBackspace;
        if (ascii && !numberKey)
            return true;
    }
    return false;
}
