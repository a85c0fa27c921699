#pragma once

#include <QWidget>

class ExchangeJournal;
class QAction;
class QPlainTextEdit;
class QPushButton;

// The exchange journal in a window of its own, beside the main one and not modal: it
// follows the line as commands go out and replies come in, and saves what it shows as
// UTF-8 text for support.
class JournalWindow : public QWidget
{
    Q_OBJECT

public:
    JournalWindow(ExchangeJournal &journal, QWidget *owner);

    QPlainTextEdit *view() const { return m_view; }
    QPushButton *saveButton() const { return m_save; }
    QPushButton *clearButton() const { return m_clear; }

    // The heading and every line; failures are shown in an error box.
    bool saveTo(const QString &path);

    // "Журнал обмена…" with its shortcut: opens the owner's one journal window, or
    // brings it forward when it is open already.
    static QAction *openAction(ExchangeJournal &journal, QWidget *owner);

    // A journal line as the view shows it: as saved, or with the control pictures (␍)
    // spelled out (<CR>) where no font of the system can draw them.
    QString shown(const QString &line) const;

private:
    void chooseAndSave();

    ExchangeJournal &m_journal;
    QPlainTextEdit *m_view;
    QPushButton *m_save;
    QPushButton *m_clear;
    QString m_lastFolder;
    bool m_spellControls = false;
};
