#include "app/unsavededits.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>

UnsavedEdits::UnsavedEdits(const QWidget *pages)
{
    // By name only: a list's own edit box or popup belongs to no configuration.
    for (QWidget *w : pages->findChildren<QWidget *>()) {
        const QString name = w->objectName();
        if (name.isEmpty() || name.startsWith(QLatin1String("qt_")))
            continue;
        const auto *button = qobject_cast<QAbstractButton *>(w);
        if ((button && button->isCheckable()) || qobject_cast<QComboBox *>(w) || qobject_cast<QLineEdit *>(w))
            m_controls << w;
    }
    markStored();
}

QStringList UnsavedEdits::values() const
{
    QStringList out;
    out.reserve(m_controls.size());
    for (const QPointer<QWidget> &w : m_controls) {
        if (const auto *button = qobject_cast<QAbstractButton *>(w))
            out << (button->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
        else if (const auto *list = qobject_cast<QComboBox *>(w))
            out << QString::number(list->currentIndex());
        else if (const auto *edit = qobject_cast<QLineEdit *>(w))
            out << edit->text();
        else
            out << QString();
    }
    return out;
}
