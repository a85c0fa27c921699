#pragma once

#include "config/configfile.h"
#include "config/writeplan.h"
#include "report/sheet.h"

#include <QObject>
#include <QString>

class Controls;
class ExchangeJournal;
class QAction;

// What the controller on the open connection holds, kept from its last settings read
// (and from each acknowledged settings write), so that "Записать настройки" first saves
// it as a snapshot in the backups folder, and "Вернуть прежние настройки" can write it
// back while the same connection is open.
class WriteSnapshots : public QObject
{
    Q_OBJECT

public:
    WriteSnapshots(Controls &controls, ExchangeJournal &journal, QObject *parent = nullptr);

    QAction *revertAction() const { return m_revert; }
    QString lastSnapshot() const { return m_snapshot; }

    void connected(int com, const QString &device);
    // The connection the pages' settings were last read on, and when: what a sheet
    // names as their source. Kept after the port is closed, until the next read.
    report::ControllerRead connection() const;
    // The controller on the cable may be another one now: nothing is reverted onto it.
    void disconnected();
    // The window's controls now hold `record`, which the controller sent.
    void settingsRead(const QByteArray &record);
    // The settings record the controller holds, as far as this connection knows; empty
    // before the first read.
    QByteArray held() const { return m_held; }
    // Before a settings write: saves what the controller holds, as the plan renders it.
    // False, with the error box shown, when it cannot be saved; then nothing may be sent.
    bool beforeWrite(const config::WritePlan &plan);
    // Right after `record` was sent.
    void writeSent(const QByteArray &record);
    // The controller acknowledged the write.
    void written();
    // Whether a revert's write has been acknowledged and the settings are to be read
    // back now.
    bool readBackDue() const { return m_step == Step::ReadingBack; }
    // A read after a revert's write: the record read back against the one sent. Tells
    // what the controller stored otherwise; nothing when it stored the record as sent.
    void readBack(const QByteArray &record);

    int com() const { return m_com; }
    QString device() const { return m_device; }

signals:
    // The controls hold the snapshot; the window writes them.
    void writeRequested();
    // The controls hold what the controller sent in a settings read.
    void settingsTaken(const config::Configuration &read);
    // The controller acknowledged a settings write: what it held before (when this
    // connection knew it), what it holds now, and whether it was a revert.
    void writeAcknowledged(const config::Configuration &before, bool beforeKnown,
                           const config::Configuration &written, bool revert);

private:
    void revert();
    void update();

    Controls &m_controls;
    ExchangeJournal &m_journal;
    QAction *m_revert;
    int m_com = 0;
    QString m_device;
    QByteArray m_held;    // the record the controller holds, as far as this connection knows
    QByteArray m_pending; // the record of the write under way; a revert's until it is read back
    QString m_snapshot;              // saved before the last acknowledged write
    report::ControllerRead m_read;
    config::Configuration m_readHeld; // what that read set
    bool m_writtenSinceSnapshot = false;
    // A revert is written, then read back and compared with what was sent.
    enum class Step { None, Reverting, ReadingBack };
    Step m_step = Step::None;
};
