#pragma once

#include <QList>
#include <QPointer>
#include <QStringList>
#include <QWidget>

// Whether the pages hold edits that neither the controller nor a file has: their values
// now against those at the last successful read, write, opened or saved file. Only
// those points move the mark, so any other difference is the user's (typing, clicks,
// "Заводские настройки") and would be lost with the window.
class UnsavedEdits
{
public:
    // Takes the pages' named boxes, lists and edit boxes once; what they show now
    // counts as stored.
    explicit UnsavedEdits(const QWidget *pages);

    // Every control's value, in a fixed order.
    QStringList values() const;
    bool exist() const { return values() != m_stored; }

    void markStored() { m_stored = values(); }
    // Values taken earlier, when they went out: a write counts once it is acknowledged.
    void markStored(const QStringList &values) { m_stored = values; }

private:
    QList<QPointer<QWidget>> m_controls;
    QStringList m_stored;
};
