#pragma once

#include "ui/counters.h"
#include "ui/keyfilters.h"

#include <QLineEdit>
#include <QObject>
#include <QPointer>
#include <vector>

class Controls;
class Desktop;
class QEvent;
class QWidget;

// The rules that act on the configuration pages while the user works: interlocks
// between check boxes, key filters of the edit boxes and their length counters.
// Built once with the window and owned by it. Controls missing from the form are
// skipped.
class WindowRules : public QObject
{
    Q_OBJECT

public:
    WindowRules(QWidget *form, Controls &controls, Desktop &desktop);

    // Key filters, one per character class, shared by the boxes of that class. Each
    // judges one typed character before the box inserts it; false drops it, with the
    // alert sound.
    bool Edit1KeyPress(QChar key);  // phone numbers
    bool Edit10KeyPres(QChar key);  // iButton key codes
    bool Edit19KeyPress(QChar key); // SMS words, access point, server address
    bool Edit31KeyPress(QChar key); // digits: password, thresholds, times, port

    // Counter refresh, shared by every box with a counter: on each key release in the
    // box and on each change of its text.
    void Edit19KeyUp_(QLineEdit *sender);

    // The application-wide hook: while Edit1 or Edit2 has the focus, swallows typed
    // characters that cannot be part of a number, silently. True swallows the event.
    bool ApplicationEvents1Message(QObject *receiver, QEvent *event);

private:
    bool judge(CharClass cls, QChar key);
    void alert();

    Desktop *m_desktop;
    QPointer<QLineEdit> m_edit1;
    QPointer<QLineEdit> m_edit2;
    std::vector<LengthCounter> m_counters;
};
