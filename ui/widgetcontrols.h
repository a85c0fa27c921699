#pragma once

#include "records/controls.h"

#include <QHash>
#include <QPointer>
#include <QWidget>
#include <vector>

// Controls over the window's real widgets. Names are resolved once, when built; a
// check box set from code emits toggled() like a click, and the observers run from it.
class WidgetControls : public Controls
{
public:
    explicit WidgetControls(QWidget *root);

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
    // Warns about a name the window lacks: the tables and the forms disagree.
    QWidget *widgetNamed(const QString &name) const;

    QHash<QString, QPointer<QWidget>> m_widgets;
    std::vector<CheckObserver> m_observers;
};

