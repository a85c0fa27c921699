#include "records/memorycontrols.h"

void MemoryControls::addRadioGroup(const QStringList &members)
{
    const int group = int(m_groups.size());
    m_groups.push_back(members);
    for (const QString &name : members)
        at(name).group = group;
}

void MemoryControls::addList(const QString &name, int itemCount, int selected)
{
    Control &c = at(name);
    c.itemCount = itemCount;
    c.index = (selected >= 0 && selected < itemCount) ? selected : -1;
}

MemoryControls::Control &MemoryControls::at(const QString &name)
{
    return m_controls[name];
}

bool MemoryControls::checked(const QString &name) const
{
    return m_controls.value(name).checked;
}

void MemoryControls::setChecked(const QString &name, bool on)
{
    Control &c = at(name);
    if (c.group >= 0) {
        // Radio button: only switching on has an effect, as with a real one.
        if (!on)
            return;
        for (const QString &other : m_groups[size_t(c.group)])
            m_controls[other].checked = false;
        at(name).checked = true;
        return;
    }
    if (c.checked == on)
        return;
    c.checked = on;
    // Observers may change other boxes (and grow the hash): copy the list first.
    const auto observers = m_observers;
    for (const auto &observer : observers)
        observer(name, on);
}

int MemoryControls::index(const QString &name) const
{
    return m_controls.value(name).index;
}

void MemoryControls::setIndex(const QString &name, int index)
{
    Control &c = at(name);
    c.index = (index >= 0 && index < c.itemCount) ? index : -1;
}

QString MemoryControls::text(const QString &name) const
{
    return m_controls.value(name).text;
}

void MemoryControls::setText(const QString &name, const QString &text)
{
    at(name).text = text;
}

bool MemoryControls::enabled(const QString &name) const
{
    return m_controls.value(name).enabled;
}

void MemoryControls::setEnabled(const QString &name, bool on)
{
    at(name).enabled = on;
}

bool MemoryControls::has(const QString &name) const
{
    return m_controls.contains(name);
}

void MemoryControls::addCheckObserver(CheckObserver observer)
{
    m_observers.push_back(std::move(observer));
}
