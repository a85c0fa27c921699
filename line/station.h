#pragma once

#include "line/recipe.h"
#include "net/networkline.h"
#include "protocol/connection.h"
#include "protocol/period.h"
#include "translations/language.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <optional>

class ExchangeJournal;

namespace line {

// Why a unit attempt failed.
enum class Failure {
    None,
    BackupNotSaved,   // detail: why
    RecordMalformed,  // detail: what a read would find wrong with the record to write
    NotSent,
    NoAnswerToWrite,  // within limitSeconds
    MalformedAnswers, // within limitSeconds; detail: the last answer
    NoAnswerToRead,   // within limitSeconds
    PortGone,
    Stopped,
    ReadBackDiffers,  // differing bytes, the first at firstAt
};

// Where a unit attempt stands, and where a failed one stopped; the log keeps it as
// "backup", "write" or "verify".
enum class Phase { None, Backup, Write, Verify };
// The log's word for a phase: "backup", "write", "verify"; empty for none.
QString phaseWord(Phase phase);

// How one unit attempt ended.
struct UnitResult
{
    QDateTime time;        // when it was logged
    int com = 0;
    QString device;
    int ordinal = 0;       // the unit's number in order of arrival across all stations
    UnitRow row;
    bool pass = false;
    Phase phase = Phase::None; // where it failed
    Failure failure = Failure::None;
    QString detail;
    double limitSeconds = 0;
    int differing = 0;
    int firstAt = 0;
    QString reason;        // reasonIn(English), as the log keeps it
    double seconds = 0;
    QString backup;
    QStringList changes;
    QStringList notes;
    QString sha256;        // of the record read back
    // Once the record was sent and read back: the file texts of what the unit held
    // before and of what was written, for the site book.
    QByteArray heldText;
    QByteArray writtenText;

    // Why it failed, in `words`; empty when it passed.
    QString reasonIn(language::Language words) const;
};

class Station;

// What the stations share: the rows, the backups, the log.
class StationHost
{
public:
    virtual ~StationHost() = default;
    // A row for a unit that has just answered; nothing when no unit is to be taken now.
    virtual std::optional<UnitRow> takeRow(int *ordinal) = 0;
    // Saves what the unit holds; the file's path, or an empty text with the reason.
    virtual QString saveBackup(const Station &station, const QByteArray &backupText, QString *why) = 0;
    virtual const Recipe &recipe() const = 0;
    virtual void unitFinished(Station &station, const UnitResult &result) = 0;
    virtual void stationChanged(Station &station) = 0;
};

// One watched port, on its own: absent → settling → probing (READ_SET at the repeat
// period) → a unit answers → backup → write → read back and compare → the unit is
// logged → waiting for it to leave (silence for two repeat periods, or the port gone)
// → probing. It is the only owner of its port; a session on it does the talking.
class Station : public QObject
{
    Q_OBJECT

public:
    enum class State { Absent, Settling, Probing, Working, Leaving };

    struct Timing
    {
        int settleMs = 1000;
        int repeatMs = 2000;
        int timeoutMs = 10000;
    };

    // connection: the line to the port, made with the station's timing (its clock then
    // times the station too); none: the COM number's device, on the event loop.
    Station(int com, StationHost &host, Timing timing, QObject *parent = nullptr,
            std::unique_ptr<Connection> connection = {});

    int com() const { return m_com; }
    // "COM3", or the network address the number stands for.
    QString portName() const;
    // A station for a network address: its device is the address, always there.
    bool isNetwork() const { return m_address.has_value(); }
    QString device() const { return m_device; }
    State state() const { return m_state; }
    bool busy() const { return m_state == State::Working; }
    // Backup, Write or Verify while working.
    Phase phase() const { return m_phase; }
    // The last unit's result, while the station waits for it to leave.
    const std::optional<UnitResult> &last() const { return m_last; }
    // Why the port could not be opened, while it cannot.
    QString refusal() const { return m_refusal; }
    // Whether the port has been looked at since the station began: a unit answered, a
    // repeat period passed in silence, or there is no port to open (none, or refused).
    bool looked() const { return m_looked || m_device.isEmpty() || !m_refusal.isEmpty(); }
    // A unit answered on the port, taken or not.
    bool unitHeard() const { return m_unitHeard; }
    // The unit under way.
    int ordinal() const { return m_ordinal; }
    const UnitRow &row() const { return m_row; }

    void setJournal(ExchangeJournal *journal) { m_connection->setJournal(journal, portName()); }

public slots:
    // The COM number stands for this device now (empty: the port has gone).
    void setDevice(const QString &device);
    // Ends at once: the port closes, a unit under way fails.
    void shutDown();

private:
    void setState(State state);
    bool deviceThere() const;
    void settled();
    // What the session reports.
    void sent();
    void heard();
    void recordTaken(const QByteArray &text, int payloadPos);
    void acknowledged();
    void deadline();
    void portLost();
    void unitAnswered(const QByteArray &record);
    void fail(Failure failure, const QString &detail = {}, bool portGone = false);
    void pass(const QByteArray &readBack);
    void finish(UnitResult result, bool portGone);
    // Nanoseconds on the station's clock.
    qint64 nowNs() const;

    int m_com;
    std::optional<NetworkLine::Address> m_address; // what the number stands for, if an address
    StationHost &m_host;
    Timing m_timing;
    std::unique_ptr<Connection> m_connection;
    Session &m_session;
    QString m_device;
    State m_state = State::Absent;
    QString m_refusal;
    Period m_settle;
    QElapsedTimer m_since;     // the event loop's clock, when the connection has none
    qint64 m_firstByteNs = -1; // the current probe's answer began; -1: not yet
    bool m_answeredSinceSend = false; // a whole reply came to the last request
    int m_silentProbes = 0;    // requests in a row that no whole reply followed, while a unit leaves
    int m_probesSent = 0;      // requests sent while probing, until the port is looked at
    bool m_looked = false;
    bool m_unitHeard = false;
    qint64 m_unitStartNs = -1;

    // The unit under way.
    Phase m_phase = Phase::None;
    int m_ordinal = 0;
    UnitRow m_row;
    QString m_backup;
    config::WritePlan m_plan;
    QString m_malformed;
    std::optional<UnitResult> m_last;
};

} // namespace line
