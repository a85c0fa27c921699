#pragma once

#include "line/productionline.h"
#include "line/recipe.h"
#include "link/portmap.h"

#include <QHash>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

class QAction;
class QCheckBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

// "Серийная запись…": the production line in a window of its own. The template, the
// units file, the ports to watch; one large tile per watched port and the log as a
// table that grows. While it runs the owner closes its own connection, so that no port
// has two owners.
class ProductionWindow : public QWidget
{
    Q_OBJECT

public:
    ProductionWindow(PortMap map, QWidget *owner);
    ~ProductionWindow() override;

    // The action with Ctrl+L that opens the owner's one window (or brings it forward).
    // onRunning(true) when the line starts, onRunning(false) when it has ended.
    static QAction *openAction(PortMap map, QWidget *owner, std::function<void(bool)> onRunning);

    // For the user's choices and for tests alike.
    QLineEdit *templateEdit() const { return m_template; }
    QLineEdit *unitsEdit() const { return m_units; }
    QPushButton *startButton() const { return m_start; }
    QPushButton *stopButton() const { return m_stop; }
    QTableWidget *logTable() const { return m_table; }
    QLabel *tile(int com) const { return m_tiles.value(com); }
    QLabel *counters() const { return m_counters; }
    QCheckBox *portBox(int com) const { return m_portBoxes.value(com); }
    bool running() const { return m_line && m_line->running(); }
    // The folder for backups and the log file; the default one unless a test sets it.
    void setBackupsDir(const QString &dir) { m_backupsDir = dir; }
    QString logPath() const { return m_logPath; }
    void setSettleMs(int ms) { m_settleMs = ms; }

    // Starts with the chosen files and ports; false (with an error box) when a file is
    // refused or nothing can be watched.
    bool startLine();
    void stopLine();

signals:
    void runningChanged(bool running);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void refreshPorts();
    void updateTile(int com);
    void updateCounters();
    void addLogRow(const line::UnitResult &result);
    void lineFinished();
    void setEditable(bool on);

    PortMap m_map;
    QLineEdit *m_template;
    QLineEdit *m_units;
    QPushButton *m_chooseTemplate;
    QPushButton *m_chooseUnits;
    QWidget *m_portsBox;
    QGridLayout *m_portsGrid;
    QHash<int, QCheckBox *> m_portBoxes;
    QPushButton *m_start;
    QPushButton *m_stop;
    QWidget *m_tilesBox;
    QGridLayout *m_tilesGrid;
    QHash<int, QLabel *> m_tiles;
    QLabel *m_counters;
    QTableWidget *m_table;
    QTimer m_portsTimer;
    QString m_backupsDir;
    QString m_logPath;
    int m_settleMs = 1000;
    std::unique_ptr<line::Recipe> m_recipe;
    std::unique_ptr<line::ProductionLine> m_line;
};
