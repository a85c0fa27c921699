#pragma once

#include <QString>
#include <functional>

// The window's controls are the only store of the configuration. Codecs, rules and
// defaults reach them through this interface, by control name, so that the same code
// runs against the real widgets and against an in-memory copy (fuzzing, benches, tools).
class Controls
{
public:
    virtual ~Controls() = default;

    // Check boxes and radio buttons. Setting a check box to the state it has does
    // nothing; a real change notifies the check observers (so interlocks run exactly
    // as on a click). Switching a radio button on switches off the rest of its group.
    virtual bool checked(const QString &name) const = 0;
    virtual void setChecked(const QString &name, bool on) = 0;

    // Drop-down lists: the selected item index, -1 for none. An index outside the
    // list leaves no item selected.
    virtual int index(const QString &name) const = 0;
    virtual void setIndex(const QString &name, int index) = 0;

    // Edit boxes and labels. Text set by code is taken as it is, also when it is
    // longer than what may be typed into the box.
    virtual QString text(const QString &name) const = 0;
    virtual void setText(const QString &name, const QString &text) = 0;

    virtual bool enabled(const QString &name) const = 0;
    virtual void setEnabled(const QString &name, bool on) = 0;

    virtual bool has(const QString &name) const = 0;

    // Called after every change of a check box's state, whoever made it.
    using CheckObserver = std::function<void(const QString &name, bool on)>;
    virtual void addCheckObserver(CheckObserver observer) = 0;
};
