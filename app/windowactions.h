#pragma once

#include <QList>
#include <span>

class QAction;
class QMenu;
class QObject;
class QWidget;

// Every command the window offers beyond its buttons' own faces, as one table: which
// menu of the menu bar shows it and where the connection bar's right-click menu does.
// A row names its source, a QAction or a QPushButton of the window, by object name; a
// menu entry is a mirror of it, enabled exactly when it is and doing exactly what it does.
enum class WindowMenu { File, Controller };

struct WindowActionRow
{
    const char *source;
    WindowMenu menu;
    int contextPosition; // 0: not on the right-click menu
    bool separatorBefore;
};

std::span<const WindowActionRow> windowActionRows();

// The QAction or QPushButton a row names, or nullptr while the window has none.
QObject *windowActionSource(const QWidget *form, const char *source);

// The right-click menu's actions in their order: the rows' sources that exist, then
// `more` (added by others without a row) that no row names; nullptr stands for a separator.
QList<QAction *> contextMenuActions(const QWidget *form, const QList<QAction *> &more);

// A menu entry that mirrors `source` (a QAction or a QPushButton): its caption with a
// mnemonic letter not yet taken in `menu`, its enabled state, its shortcut shown, and a
// trigger that triggers (clicks) the source.
QAction *addMirror(QMenu *menu, QObject *source);

// `text` with '&' before its first letter that no other entry of `menu` uses yet.
QString withMnemonic(const QString &text, const QMenu *menu);
