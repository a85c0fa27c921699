#include "app/windowactions.h"

#include <QAbstractButton>
#include <QAction>
#include <QEvent>
#include <QMenu>
#include <QPointer>
#include <QRegularExpression>

#include <algorithm>

namespace {

const WindowActionRow kRows[] = {
    {"openConfiguration", WindowMenu::File, 2, false},
    {"saveConfiguration", WindowMenu::File, 1, false},
    {"compareConfiguration", WindowMenu::File, 3, true},
    {"reportConfiguration", WindowMenu::File, 4, false},
    {"OpenClose", WindowMenu::Controller, 0, false},
    {"Button11", WindowMenu::Controller, 0, true},
    {"ButtWrite", WindowMenu::Controller, 0, false},
    {"revertSettings", WindowMenu::Controller, 7, false},
    {"Button1", WindowMenu::Controller, 0, false},
    {"openJournal", WindowMenu::Controller, 5, true},
    {"openProductionLine", WindowMenu::Controller, 6, false},
};

QString plainText(QString text)
{
    // "&&" is a literal ampersand, a lone '&' marks the mnemonic.
    text.replace(QLatin1String("&&"), QChar(0x1));
    text.remove(QLatin1Char('&'));
    text.replace(QChar(0x1), QLatin1String("&&"));
    return text;
}

QChar mnemonicOf(const QString &text)
{
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text.at(i) != QLatin1Char('&'))
            continue;
        if (text.at(i + 1) != QLatin1Char('&'))
            return text.at(i + 1).toLower();
        ++i;
    }
    return {};
}

// Keeps a mirror in step with a button: the button has no signal for its enabled state
// or its caption, so the mirror looks again whenever either may have changed: when a
// button of its bar changes its enabled state (a connect or a disconnect changes some of
// them whatever its outcome), after a click and before its menu opens.
class ButtonMirror : public QObject
{
public:
    ButtonMirror(QAbstractButton *button, QAction *mirror, QMenu *menu)
        : QObject(mirror), m_button(button), m_buttonObject(button), m_mirror(mirror), m_menu(menu)
    {
        QWidget *bar = button->parentWidget();
        for (QAbstractButton *neighbour : bar ? bar->findChildren<QAbstractButton *>() : QList<QAbstractButton *>{})
            neighbour->installEventFilter(this);
        button->installEventFilter(this);
        connect(menu, &QMenu::aboutToShow, this, &ButtonMirror::refresh);
        // Queued behind the button's own handler, which may change its caption.
        connect(button, &QAbstractButton::clicked, this, &ButtonMirror::refresh, Qt::QueuedConnection);
        connect(mirror, &QAction::triggered, button, [button] {
            if (button->isEnabled())
                button->click();
        });
        refresh();
    }

    void refresh()
    {
        if (!m_button)
            return;
        m_mirror->setEnabled(m_button->isEnabled());
        if (plainText(m_mirror->text()) != plainText(m_button->text()))
            m_mirror->setText(withMnemonic(plainText(m_button->text()), m_menu));
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // Compared as plain objects: the button may be half destroyed when an event comes,
        // and QPointer<QAbstractButton> would cast it to what it no longer is.
        if (event->type() == QEvent::EnabledChange || (event->type() == QEvent::Paint && watched == m_buttonObject))
            refresh();
        return false;
    }

private:
    QPointer<QAbstractButton> m_button;
    const QObject *m_buttonObject;
    QAction *m_mirror;
    QMenu *m_menu;
};

} // namespace

std::span<const WindowActionRow> windowActionRows()
{
    return kRows;
}

QObject *windowActionSource(const QWidget *form, const char *source)
{
    const QString name = QLatin1String(source);
    if (auto *action = form->findChild<QAction *>(name))
        return action;
    return form->findChild<QAbstractButton *>(name);
}

QList<QAction *> contextMenuActions(const QWidget *form, const QList<QAction *> &more)
{
    std::vector<const WindowActionRow *> rows;
    for (const WindowActionRow &row : kRows) {
        if (row.contextPosition > 0)
            rows.push_back(&row);
    }
    std::sort(rows.begin(), rows.end(),
              [](const auto *a, const auto *b) { return a->contextPosition < b->contextPosition; });
    QList<QAction *> actions;
    QStringList named;
    for (const WindowActionRow *row : rows) {
        named << QLatin1String(row->source);
        auto *action = qobject_cast<QAction *>(windowActionSource(form, row->source));
        if (!action)
            continue;
        if (row->separatorBefore && !actions.isEmpty())
            actions << nullptr;
        actions << action;
    }
    bool separated = false;
    for (QAction *action : more) {
        if (named.contains(action->objectName()) && !action->objectName().isEmpty())
            continue;
        if (!separated && !actions.isEmpty())
            actions << nullptr;
        separated = true;
        actions << action;
    }
    return actions;
}

QString withMnemonic(const QString &text, const QMenu *menu)
{
    QString taken;
    for (const QAction *action : menu->actions()) {
        if (const QChar c = mnemonicOf(action->text()); !c.isNull())
            taken += c;
    }
    auto freeAt = [&](qsizetype i) { return text.at(i).isLetter() && !taken.contains(text.at(i).toLower()); };
    // Word initials first, as users look for them; then any letter.
    for (qsizetype i = 0; i < text.size(); ++i) {
        if ((i == 0 || !text.at(i - 1).isLetterOrNumber()) && freeAt(i))
            return QString(text).insert(i, QLatin1Char('&'));
    }
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (freeAt(i))
            return QString(text).insert(i, QLatin1Char('&'));
    }
    return text;
}

QAction *addMirror(QMenu *menu, QObject *source)
{
    auto *mirror = new QAction(menu);
    if (auto *button = qobject_cast<QAbstractButton *>(source)) {
        mirror->setText(withMnemonic(plainText(button->text()), menu));
        mirror->setObjectName(QStringLiteral("menu") + button->objectName());
        menu->addAction(mirror);
        new ButtonMirror(button, mirror, menu);
        return mirror;
    }
    auto *action = qobject_cast<QAction *>(source);
    Q_ASSERT(action);
    mirror->setObjectName(QStringLiteral("menu_") + action->objectName());
    mirror->setText(withMnemonic(plainText(action->text()), menu));
    // Shown in the menu and working while it is open; the window's own shortcut stays
    // the only one elsewhere, so the two never clash.
    mirror->setShortcut(action->shortcut());
    mirror->setShortcutContext(Qt::WidgetShortcut);
    mirror->setEnabled(action->isEnabled());
    menu->addAction(mirror);
    QObject::connect(action, &QAction::changed, mirror, [action, mirror, menu] {
        mirror->setEnabled(action->isEnabled());
        if (plainText(mirror->text()) != plainText(action->text()))
            mirror->setText(withMnemonic(plainText(action->text()), menu));
    });
    QObject::connect(mirror, &QAction::triggered, action, [action] { action->trigger(); });
    return mirror;
}
