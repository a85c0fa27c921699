#pragma once

#include "line/portwatcher.h"
#include "line/recipe.h"
#include "line/station.h"
#include "line/unitqueue.h"

#include <QElapsedTimer>
#include <QFile>
#include <QJsonObject>
#include <QObject>
#include <functional>
#include <memory>
#include <vector>

namespace book {
class Book;
}

namespace line {

// The folder for backups when none is named: $XDG_STATE_HOME/tavrix/backups
// (~/.local/state/tavrix/backups), on Windows %LOCALAPPDATA%\Tavrix\backups.
QString defaultBackupsDir();

// Stations side by side on the one event loop, sharing the rows, the backups folder and
// the log. Used by `tavrix-cli watch` and by the window's production line alike.
class ProductionLine : public QObject, public StationHost
{
    Q_OBJECT

public:
    struct Options
    {
        QList<int> coms;          // empty: every COM number
        QString backupsDir;       // empty: defaultBackupsDir()
        QString logPath;          // empty: no log file
        QString book;             // the site book; empty: TAVRIX_BOOK or the default
        QString operatorName;     // who the book records as writing; empty: the OS user
        bool recordInBook = true;
        int count = 0;            // > 0: end after this many units passed
        // No unit is taken until release(): the ports are looked at first, so that
        // whoever started the line can be asked about units that were already there.
        bool lookFirst = false;
        Station::Timing timing;
        // Makes each station's connection with the station's timing; none: the real one,
        // by the port's name, on the event loop.
        std::function<std::unique_ptr<Connection>(int com, const Station::Timing &timing)> connection;
    };

    // The summary line gives controllers an hour from this many controllers over this
    // many seconds on.
    static constexpr int kUnitsForARate = 3;
    static constexpr double kSecondsForARate = 60;

    struct Summary
    {
        int passed = 0;
        int failed = 0;
        int rowsLeft = -1;        // -1 without a units file
        double unitsPerHour = 0;
        double medianSeconds = 0;
        double runSeconds = 0;
    };

    ProductionLine(PortMap map, const Recipe &recipe, Options options, QObject *parent = nullptr);
    ~ProductionLine() override;

    // Makes the backups folder and opens the log; false with the reason when either
    // cannot be had (nothing is started then).
    bool prepare(QString *why);
    void start();
    // No new unit is taken; the line ends once the units under way are done.
    void stop();
    // Ends at once; units under way fail as stopped.
    void abort();
    // Units are taken from now on (after lookFirst).
    void release();
    bool held() const { return m_held; }
    bool running() const { return m_running; }

    const std::vector<std::unique_ptr<Station>> &stations() const { return m_stations; }
    Station *station(int com) const;
    Summary summary() const;
    const UnitQueue &queue() const { return m_queue; }
    QString backupsDir() const { return m_backupsDir; }

    // A result as the one JSON line the log holds for it.
    static QJsonObject logObject(const UnitResult &result);
    // A result as the one line of text a person reads: "COM3  controller 17 (label)  ...  3.4 s".
    static QString eventLine(const UnitResult &result);
    static QJsonObject summaryObject(const Summary &summary);
    static QString summaryLine(const Summary &summary);

    // StationHost
    std::optional<UnitRow> takeRow(int *ordinal) override;
    QString saveBackup(const Station &station, const QByteArray &backupText, QString *why) override;
    const Recipe &recipe() const override { return m_recipe; }
    void unitFinished(Station &station, const UnitResult &result) override;
    void stationChanged(Station &station) override;

signals:
    void unitDone(const line::UnitResult &result);
    void stationUpdated(int com);
    // A line of its own to tell (a port that cannot be opened, a log that fails).
    void notice(const QString &line);
    // With lookFirst, once every port has been looked at: the ports where a unit answered.
    // Emitted from the event loop, never from within a station's work.
    void looked(const QList<int> &answering);
    void finished();

private:
    void checkEnd();
    // Every unit written lands in the site book: under its row's site, or unassigned.
    void record(const UnitResult &result);
    void checkLooked();
    bool anyBusy() const;

    PortMap m_map;
    const Recipe &m_recipe;
    Options m_options;
    UnitQueue m_queue;
    QString m_backupsDir;
    QFile m_log;
    std::unique_ptr<book::Book> m_book;
    QString m_bookProblem; // told once the line starts
    std::unique_ptr<PortWatcher> m_watcher;
    std::vector<std::unique_ptr<Station>> m_stations;
    QHash<int, QString> m_refusalsTold;
    QList<double> m_cycles;
    int m_passed = 0;
    int m_failed = 0;
    int m_ordinals = 0;
    bool m_running = false;
    bool m_stopping = false;
    bool m_ended = false;
    bool m_held = false;
    bool m_lookTold = false;
    QElapsedTimer m_clock;
};

} // namespace line
