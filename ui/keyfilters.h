#pragma once

#include "rules/editboxrules.h"

#include <QClipboard>
#include <QLineEdit>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <vector>

class QDropEvent;
class QInputMethodEvent;
class QKeyEvent;
class QMenu;

bool inClass(CharClass cls, QChar ch);

// The text without the characters outside the class; *removed tells whether any went.
QString keepInClass(CharClass cls, const QString &text, bool *removed = nullptr);


// The most characters a user may type into the box: its maximum length in the form.
// Text set by code may be longer (a controller's reply is shown as received), so the
// box's own limit can be raised for a while; this stays the typed limit.
int typedLimit(const QLineEdit *edit);

// Sets text from code and shows it whole, also beyond the typed limit, which QLineEdit
// would otherwise cut it to.
void setTextWhole(QLineEdit *edit, const QString &text);

// Whether a key press brings a typed character, as opposed to navigation (Tab, the
// arrows), deletion or an editing shortcut (copy, cut, undo, select all), which carry
// control characters in their text on some platforms.
bool isCharacterMessage(const QKeyEvent *event);

// The filter of one edit box. A typed character goes to `keyPress` before the box
// sees it; false drops it (the handler sounds the alert). Typing stops at the box's
// typed limit. Pasted, dropped and composed text is cut down to the class with one
// alert, and to the room left under the typed limit. Text set by code is not touched.
// Owned by the box.
class EditBoxFilter : public QObject
{
    Q_OBJECT

public:
    using KeyPress = std::function<bool(QChar key)>;
    using Alert = std::function<void()>;

    EditBoxFilter(QLineEdit *edit, CharClass cls, KeyPress keyPress, Alert alert);

    // Pastes the clipboard's text at the cursor, filtered.
    void paste(QClipboard::Mode mode = QClipboard::Clipboard);
    // Inserts text at the cursor (replacing the selection) as a paste would.
    void insertFiltered(const QString &text);
    // The box's standard context menu whose paste goes through the filter.
    QMenu *createContextMenu();

signals:
    void keyReleased(QLineEdit *edit);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool onKeyPress(QKeyEvent *event);
    bool onDrop(QDropEvent *event);
    bool onInputMethod(QInputMethodEvent *event);
    // Every character of typed text meets the key filter; false drops the text.
    bool typedTextPasses(const QString &text, bool insertedAsIs);
    // Characters that may still go in when `replaced` of the present ones give way.
    int room(int replaced) const;

    QPointer<QLineEdit> m_edit;
    CharClass m_class;
    KeyPress m_keyPress;
    Alert m_alert;
    bool m_forwarding = false;
};

// An event filter that hands every event to a function; true swallows the event.
class EventHook : public QObject
{
public:
    using Handler = std::function<bool(QObject *watched, QEvent *event)>;
    EventHook(Handler handler, QObject *parent) : QObject(parent), m_handler(std::move(handler)) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override { return m_handler(watched, event); }

private:
    Handler m_handler;
};
