#include "tests/support/recordingdesktop.h"

void RecordingDesktop::showError(const QString &text, const QString &detailedText)
{
    boxes.append({true, text, detailedText});
    if (whileOpen)
        whileOpen(boxes.last());
}

void RecordingDesktop::showInformation(const QString &text)
{
    boxes.append({false, text, {}});
    if (whileOpen)
        whileOpen(boxes.last());
}

QStringList RecordingDesktop::texts() const
{
    QStringList out;
    for (const Box &b : boxes)
        out << b.text;
    return out;
}
