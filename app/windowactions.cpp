#include "app/windowactions.h"

#include "app/tform1.h"
#include "protocol/commands.h"
#include "records/records.h"

#include <QAbstractButton>
#include <QAction>
#include <QEvent>
#include <QMenu>
#include <QPointer>

#include <algorithm>
#include <functional>

namespace {

bool whileConnected(const CommandFacts &f) { return f.state != Session::State::Disconnected; }
// Enabled by the settings record and right after any command button's send; held back
// while a command other than a re-read goes out.
bool mayWrite(const CommandFacts &f) { return whileConnected(f) && (f.recordHeld || f.sentSince) && !f.sendingHolds; }
// Pressed, it waits for the settings answer before it can be pressed again.
bool mayReread(const CommandFacts &f) { return whileConnected(f) && f.recordHeld && !f.rereadAsked; }
bool mayLink(const CommandFacts &f) { return f.portListed && !f.lineRunning; }

using W = WindowMenu;
using K = SendKind;
using T = TForm1;

// In the menus' order; the hidden block buttons last.
const WindowCommand kCommands[] = {
    {"openConfiguration", W::File, 2},
    {"saveConfiguration", W::File, 1},
    {"compareConfiguration", W::File, 3, true},
    {"reportConfiguration", W::File, 4},
    {"openSiteBook", W::File, 8, true},
    {"OpenClose", W::Controller, 0, false, &T::OpenCloseClick, mayLink},
    {"connectNetwork", W::Controller, 9, true},
    {"forgetAddress", W::Controller, 10},
    {"Button11", W::Controller, 0, true, &T::Button11Click, mayReread, command::kReadSettings, nullptr, K::Reread},
    // The settings record comes from the write plan.
    {"ButtWrite", W::Controller, 0, false, &T::ButtWriteClick, mayWrite, command::kWriteSettings, nullptr, K::Write},
    {"revertSettings", W::Controller, 7},
    {"Button1", W::Controller, 0, false, &T::Button1Click},
    {"openJournal", W::Controller, 5, true},
    {"openProductionLine", W::Controller, 6},
    {"Button12", W::None, 0, false, &T::Button12Click, whileConnected, command::kReadPhones, nullptr, K::Send},
    {"Button13", W::None, 0, false, &T::Button13Click, whileConnected, command::kReadKeys, nullptr, K::Send},
    {"Button14", W::None, 0, false, &T::Button14Click, whileConnected, command::kReadSms, nullptr, K::Send},
    {"Button15", W::None, 0, false, &T::Button15Click, whileConnected, command::kReadGprs, nullptr, K::Send},
    {"Button6", W::None, 0, false, &T::Button6Click, whileConnected, command::kWritePhones, records::buildPhoneList, K::Write},
    {"Button7", W::None, 0, false, &T::Button7Click, whileConnected, command::kWriteKeys, records::buildKeyList, K::Write},
    {"Button8", W::None, 0, false, &T::Button8Click, whileConnected, command::kWriteSms, records::buildSmsList, K::Write},
    {"Button10", W::None, 0, false, &T::Button10Click, whileConnected, command::kWriteGprs, records::buildGprsList,
     K::Write},
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

// A button has no signal for its enabled state: whoever switches it, the entry follows.
class EnabledWatch : public QObject
{
public:
    EnabledWatch(QObject *button, QObject *parent, std::function<void()> refresh)
        : QObject(parent), m_refresh(std::move(refresh))
    {
        button->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::EnabledChange)
            m_refresh();
        return false;
    }

private:
    std::function<void()> m_refresh;
};

} // namespace

std::span<const WindowCommand> windowCommands()
{
    return kCommands;
}

const WindowCommand &windowCommand(const char *source)
{
    for (const WindowCommand &row : kCommands) {
        if (qstrcmp(row.source, source) == 0)
            return row;
    }
    Q_UNREACHABLE();
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
    std::vector<const WindowCommand *> rows;
    for (const WindowCommand &row : kCommands) {
        if (row.contextPosition > 0)
            rows.push_back(&row);
    }
    std::sort(rows.begin(), rows.end(),
              [](const auto *a, const auto *b) { return a->contextPosition < b->contextPosition; });
    QList<QAction *> actions;
    QStringList named;
    for (const WindowCommand *row : rows) {
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

QAction *addMirror(QMenu *menu, QObject *source, TForm1 *form)
{
    auto *mirror = new QAction(menu);
    if (auto *button = qobject_cast<QAbstractButton *>(source)) {
        mirror->setObjectName(QStringLiteral("menu") + button->objectName());
        menu->addAction(mirror);
        // Its caption changes with the state the form's commands follow.
        auto refresh = [button = QPointer<QAbstractButton>(button), mirror, menu] {
            if (!button)
                return;
            mirror->setEnabled(button->isEnabled());
            if (plainText(mirror->text()) != plainText(button->text()))
                mirror->setText(withMnemonic(plainText(button->text()), menu));
        };
        refresh();
        new EnabledWatch(button, mirror, refresh);
        QObject::connect(form, &TForm1::commandsFollowed, mirror, refresh);
        QObject::connect(mirror, &QAction::triggered, button, [button] {
            if (button->isEnabled())
                button->click();
        });
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
