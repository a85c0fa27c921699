#include "tests/support/recordingdesktop.h"

void RecordingDesktop::showError(const QString &text, const QString &detailedText)
{
    boxes.append({true, text, detailedText, {}, nullptr});
    if (whileOpen)
        whileOpen(boxes.last());
}

void RecordingDesktop::showInformation(const QString &text)
{
    boxes.append({false, text, {}, {}, nullptr});
    if (whileOpen)
        whileOpen(boxes.last());
}

bool RecordingDesktop::confirm(QWidget *owner, const QString &text, const QString &yes, const QString &no)
{
    boxes.append({false, text, {}, {yes, no}, owner});
    if (whileOpen)
        whileOpen(boxes.last());
    return answer;
}

QStringList RecordingDesktop::texts() const
{
    QStringList out;
    for (const Box &b : boxes)
        out << b.text;
    return out;
}
