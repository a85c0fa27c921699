#pragma once

#include "protocol/session.h"

#include <QList>
#include <span>

class Controls;
class QAction;
class QMenu;
class QObject;
class QWidget;
class TForm1;

// What the window's commands are enabled by.
struct CommandFacts
{
    Session::State state;
    bool recordHeld;   // the pages show a settings record read since the connect
    bool sentSince;    // a command button has sent since the connect
    bool rereadAsked;  // "Считать настройки" was pressed and its answer has not come
    bool sendingHolds; // a command that keeps "Записать настройки" back is going out
    bool portListed;   // the port list has an entry
    bool lineRunning;  // the production line owns the ports
};

enum class WindowMenu { None, File, Controller };
// What a command does on the line: writes (and owes an acknowledgement), asks for the
// settings again, or sends a request whose answer is only reported.
enum class SendKind { None, Write, Reread, Send };

// Every command of the window as one table: the button or QAction it is (by object name),
// where the menu bar and the connection bar's right-click menu show it, the handler its
// click runs, when it is enabled (nullptr: the source keeps its own state) and what it sends.
struct WindowCommand
{
    const char *source;
    WindowMenu menu = WindowMenu::None;
    int contextPosition = 0; // 0: not on the right-click menu
    bool separatorBefore = false;
    void (TForm1::*handler)() = nullptr;
    bool (*enabledWhen)(const CommandFacts &) = nullptr;
    const char *word = nullptr;
    QByteArray (*payload)(Controls &) = nullptr; // none: the word alone
    SendKind kind = SendKind::None;
};

std::span<const WindowCommand> windowCommands();
const WindowCommand &windowCommand(const char *source);

// The QAction or QPushButton a row names, or nullptr while the window has none.
QObject *windowActionSource(const QWidget *form, const char *source);

// The right-click menu's actions in their order: the rows' sources that exist, then
// `more` (added by others without a row) that no row names; nullptr stands for a separator.
QList<QAction *> contextMenuActions(const QWidget *form, const QList<QAction *> &more);

// A menu entry for `source` (a QAction or a QPushButton of `form`): its caption with a
// mnemonic letter not yet taken in `menu`, its enabled state, its shortcut shown, and a
// trigger that triggers (clicks) the source.
QAction *addMirror(QMenu *menu, QObject *source, TForm1 *form);

// `text` with '&' before its first letter that no other entry of `menu` uses yet.
QString withMnemonic(const QString &text, const QMenu *menu);
