#pragma once

#include "config/catalog.h"
#include "link/portmap.h"

#include <QEventLoop>
#include <QJsonArray>
#include <QObject>
#include <QStringList>
#include <QTextStream>
#include <QTimer>
#include <functional>
#include <memory>
#include <vector>

class DeviceJob;
namespace book {
class Book;
struct Controller;
enum class Kind;
}
class ExchangeJournal;
class QFile;
namespace config {
struct ByteDifference;
}

// The sub-commands of tavrix-cli. Ports are worked on side by side on the one event
// loop; run() returns the exit status when all of them are done.
class Tool : public QObject
{
    Q_OBJECT

public:
    enum Exit { Done = 0, DeviceFailure = 1, UsageError = 2, Differences = 3 };

    struct Options
    {
        QString output;
        bool verify = false;
        bool json = false;
        int timeoutMs = 10000;
        int connectTimeoutMs = 5000; // a network port's connection and negotiation
        QString trace; // the exchange journal of every port goes here
        bool mask = false; // report: phone numbers and keys all but their last three characters hidden
        QString site;      // report: the sheet's handover fields
        QString bookSite;  // read, write, audit: NAME[/CONTROLLER] in the site book, or "auto"
        QString book;      // the site book's location; empty: TAVRIX_BOOK or the default
        QString operatorName; // who records; empty: the OS user
        QString customer;
        QString installer;
        // stderr is a terminal: while a controller is silent a line there says so, with
        // the seconds, redrawn in place and erased when it is heard from.
        bool waitLine = false;
    };

    Tool(PortMap map, Options options, QTextStream &out, QTextStream &err);
    ~Tool() override;

    // The ports there are (a device or a link behind them); with `all` every COM number.
    int ports(bool all = false);
    int read(const QList<int> &coms);
    int write(const QList<int> &coms, const QString &file);
    int diff(const QString &a, const QString &b);
    int showControls(const QString &source);
    int defaults();
    // The configuration sheet of a file or a controller, as PDF or HTML (-o).
    int report(const QString &source);
    // Whether the controller holds exactly the configuration of a file, or the one whose
    // fingerprint a sheet carries.
    int audit(int com, const QString &evidence);

    // Opens the trace file of Options::trace (if any) and starts its journal; false
    // with the reason when the file cannot be written.
    bool startTrace(QString *error);

    // "COM3" or "com3": the COM number, 0 when the text names no COM port.
    static int comNumber(const QString &text);

    // A usage error as the one JSON document of a run (--json), on out.
    static void emitUsageError(QTextStream &out, const QString &command, const QString &message);

private:
    struct PortRun;

    // The site book for a read, write or audit: opened, and the controller --site names
    // found. A usage error (the status) for an unknown site; a book that cannot be
    // opened without --site only says so: it never stops a write.
    int openBook(const QList<int> &coms);
    // The controller a port's configuration is recorded under: the one --site names, or
    // with --site auto the one the book recognises; 0 for nobody. Says what it recognised.
    qint64 bookControllerFor(PortRun &run, const QByteArray &text);
    void recordRead(PortRun &run, const QByteArray &text, book::Kind kind);
    void recordWrite(PortRun &run, bool proved);
    void bookWarning(const QString &why);

    // Reads the controllers' configurations side by side; done(i, config) for each.
    void readControllers(const QList<int> &coms, const std::function<void(PortRun &, const config::Configuration &)> &done);
    void startJobs(const QList<int> &coms, const std::function<void(PortRun &)> &begin);
    int runJobs();
    void finish(PortRun &run, int status, const QString &message);
    int fileError(const config::FileError &error);
    int usage(const QString &message);
    // The per-port result as JSON, when --json asks for it.
    void emitPorts();
    void printDifferences(const QList<config::Difference> &diffs, const QString &a, const QString &b);
    QJsonArray portsJson() const;
    QJsonArray controlsJson(const config::Configuration &cfg) const;
    QJsonArray differencesJson(const QList<config::Difference> &diffs) const;
    QJsonArray changesJson(const QList<config::Change> &changes) const;
    void printByteDifferences(const QList<config::ByteDifference> &diffs);
    QJsonArray byteDifferencesJson(const QList<config::ByteDifference> &diffs) const;
    void emitJson(const QJsonObject &object);
    int worstStatus() const;
    // The line that says which controllers are awaited and for how long, drawn or erased.
    void showWaiting();
    void eraseWaiting();
    // Saves what the controller holds as a snapshot before anything is written to it;
    // false (the port finished with the reason) when it cannot be saved.
    bool snapshot(PortRun &run, const QByteArray &backupText);
    // Reads the settings record one controller holds (bare); false when it failed.
    bool readRecord(int com, QByteArray *record);

    PortMap m_map;
    Options m_options;
    QTextStream &m_out;
    QTextStream &m_err;
    const config::Catalog &m_catalog;
    QString m_command; // the sub-command under way, for its JSON result
    QJsonArray m_readControls; // read -o - with --json: the controls read
    std::vector<std::unique_ptr<PortRun>> m_runs;
    std::unique_ptr<QFile> m_traceFile;
    std::unique_ptr<ExchangeJournal> m_journal;
    int m_pending = 0;
    QEventLoop *m_loop = nullptr;
    QTimer m_waitTimer;
    QString m_waitShown; // the waiting line as the terminal shows it now
    std::unique_ptr<book::Book> m_book;
    qint64 m_bookController = 0; // the controller --site names; 0 for none or "auto"
};

// Rows of text in columns as wide as their widest cell.
void printTable(QTextStream &out, const QList<QStringList> &rows);
