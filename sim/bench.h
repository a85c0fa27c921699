#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

namespace sim {

class Simulator;

// A bench on a schedule: the port appears late and may go again, and controllers are
// connected to its cable one after another, each with a stored configuration of its own.
class Bench : public QObject
{
    Q_OBJECT

public:
    struct Schedule
    {
        int appearAfterMs = 0;   // the port's link is created this long after start()
        int vanishAfterMs = -1;  // >= 0: the port goes this long after start()
        int units = 0;           // 0: one controller, always connected
        int presentMs = 8000;    // each unit answers this long ...
        int absentMs = 5000;     // ... then the cable is empty this long
    };

    explicit Bench(Simulator &simulator, QObject *parent = nullptr);

    // Validates the schedule and starts it; the port itself opens at appearAfterMs.
    bool start(const QString &portsDir, int com, const Schedule &schedule, QString *error = nullptr);

    // 1-based number of the unit on the cable, 0 when the cable is empty.
    int currentUnit() const { return m_current; }
    // What unit `unit` holds now (its own start configuration until something writes).
    QByteArray unitRecord(int unit) const;

    // The record unit `unit` holds before anything writes to it: the start values with
    // its number in the first phone, so each unit reads differently.
    static QByteArray initialRecord(int unit);

signals:
    void appeared();
    // The port could not be created at its time; the bench stops.
    void failed(QString why);
    void unitConnected(int unit);
    void unitDisconnected(int unit);
    void vanished();

private:
    bool appear(QString *why);
    void nextPhase();
    void connectUnit(int unit);
    void disconnectUnit();

    Simulator &m_sim;
    QString m_portsDir;
    int m_com = 1;
    Schedule m_schedule;
    QList<QByteArray> m_records; // index unit - 1
    int m_current = 0;
    int m_nextUnit = 1;
    QTimer m_phase;
};

} // namespace sim
