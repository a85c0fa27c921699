#pragma once

#include "book/book.h"
#include "config/configfile.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>

class ExchangeJournal;

// The window's side of the site book: which site the controller on the cable is (named
// by the user or recognised after a read), and every read that differs from what the
// book last knew of it and every acknowledged write, recorded without an extra step.
// A book that cannot be opened or written never holds a write back: it is said in the
// journal and the status bar.
class BookRecorder : public QObject
{
    Q_OBJECT

public:
    explicit BookRecorder(ExchangeJournal &journal, QObject *parent = nullptr);
    ~BookRecorder() override;

    // The settings the window keeps for the book: who works, and where the book lives
    // (empty: TAVRIX_BOOK or the default file).
    static QString operatorSetting();
    static QString locationSetting();
    static void saveSettings(const QString &operatorName, const QString &location);
    // Where the window's book is: TAVRIX_BOOK for this run, else the settings, else the
    // default file.
    static QString location();

    // The book, opened at first need; nullptr (with lastError()) when it cannot be.
    book::Book *book();
    QString lastError() const { return m_error; }
    // Opens the book again, after its settings changed.
    void reopen();

    // "Объект: …": the site and controller the connection's controller is, if known.
    QString siteText() const;
    // "N записей ждут отправки в общий журнал", or empty.
    QString outboxText();
    qint64 controllerId() const { return m_controller.id; }
    // The site was recognised rather than named: the match can be undone.
    bool matched() const { return m_matched; }
    // How it was recognised, for the status bar: "по отпечатку", "по номерам абонентов".
    QString matchedBy() const { return m_matchedBy; }

    void connected(const QString &port, const QString &device);
    void disconnected();
    // A settings read: recognised, then recorded when it differs from the latest revision.
    void settingsRead(const config::Configuration &read);
    // An acknowledged settings write; a revert waits for its read-back to be proved.
    void written(const config::Configuration &before, bool beforeKnown, const config::Configuration &now, bool revert);

    // The user names the controller (from the book's window or the prompt). What this
    // connection recorded unassigned, and a read not yet kept, go to it.
    void choose(const book::Controller &controller, const QString &siteName);
    // Takes back a recognition: the read it recorded returns among the unassigned.
    void undoMatch();

signals:
    // The site, the match or the outbox changed: the status bar looks again.
    void changed();
    // A read of a controller nobody named and nothing recognised: ask the user.
    void unknownController();
    // A revision was recorded.
    void recorded(const book::Revision &revision);

private:
    book::Revision made(const config::Configuration &cfg, book::Kind kind) const;
    QString port() const;
    void recordUndo(bool proved);
    void failed(const QString &what);
    void note(const QString &text);

    ExchangeJournal &m_journal;
    std::unique_ptr<book::Book> m_book;
    bool m_triedOpen = false;
    QString m_error;
    QString m_port; // "COM3", or a network port's address
    QString m_device;
    book::Controller m_controller; // id 0: nobody named it yet
    QString m_siteName;
    bool m_matched = false;
    QString m_matchedBy;
    QString m_matchRevision;          // recorded because of the match
    QByteArray m_lastRead;            // the last read, for a site named later
    bool m_lastReadKept = false;
    bool m_asked = false;             // the prompt was offered for this connection
    QStringList m_unassigned;         // written here before anyone named the site
    bool m_undoPending = false;       // a revert waits for its read-back
    QByteArray m_undoBefore;
    QByteArray m_undoWritten;
    QDateTime m_connectedAt;
};
