#pragma once

#include <QPointer>
#include <QString>

#include <QLabel>
#include <QLineEdit>

// "n/limit": the characters in a box, a slash and the most it takes.
QString counterText(int length, int limit);

// A blue counter label beside an edit box.
class LengthCounter
{
public:
    LengthCounter(QLineEdit *edit, QLabel *label, int limit);

    QLineEdit *edit() const { return m_edit; }
    // Shows the box's present length.
    void refresh() const;

private:
    QPointer<QLineEdit> m_edit;
    QPointer<QLabel> m_label;
    int m_limit;
};
