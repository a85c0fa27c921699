#pragma once

#include "records/controls.h"

#include <QHash>
#include <QStringList>
#include <vector>

// A plain in-memory set of controls with the same semantics as the window's widgets:
// radio groups are exclusive, lists have an item count, check boxes notify observers.
// Unknown names are created on first use, so a fuzzer or a tool needs no set-up beyond
// the radio groups and list sizes.
class MemoryControls : public Controls
{
public:
    void addRadioGroup(const QStringList &members);
    void addList(const QString &name, int itemCount, int selected = -1);

    bool checked(const QString &name) const override;
    void setChecked(const QString &name, bool on) override;
    int index(const QString &name) const override;
    void setIndex(const QString &name, int index) override;
    QString text(const QString &name) const override;
    void setText(const QString &name, const QString &text) override;
    bool enabled(const QString &name) const override;
    void setEnabled(const QString &name, bool on) override;
    bool has(const QString &name) const override;
    void addCheckObserver(CheckObserver observer) override;

private:
    struct Control
    {
        bool checked = false;
        bool enabled = true;
        int index = -1;
        int itemCount = 0;
        int group = -1;
        QString text;
    };

    Control &at(const QString &name);

    QHash<QString, Control> m_controls;
    std::vector<QStringList> m_groups;
    std::vector<CheckObserver> m_observers;
};
