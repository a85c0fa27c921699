#include "ui/counters.h"
#include "ui/signalcolours.h"

#include <QLabel>
#include <QLineEdit>

QString counterText(int length, int limit)
{
    return QString::number(length) + QLatin1Char('/') + QString::number(limit);
}

LengthCounter::LengthCounter(QLineEdit *edit, QLabel *label, int limit)
    : m_edit(edit), m_label(label), m_limit(limit)
{
    if (label)
        keepSignalColour(label, QPalette::WindowText);
}

void LengthCounter::refresh() const
{
    if (m_edit && m_label)
        m_label->setText(counterText(int(m_edit->text().size()), m_limit));
}
