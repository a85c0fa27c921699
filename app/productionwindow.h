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

class NetworkAddressDialog;
class QAction;
class QCheckBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;
class QScreen;
class QTableWidget;

// "Серийная запись…": the production line in a window of its own. The template, the
// units file, the ports to watch; one large tile per watched port and the log as a
// table that grows. While it runs the owner closes its own connection, so that no port
// has two owners. The port the owner was connected to is never ticked for the user.
class ProductionWindow : public QWidget
{
    Q_OBJECT

public:
    // ownerCom: the COM number the owner is connected to (0: none). The ports ticked at
    // the last start are ticked again, those that are gone and ownerCom left out.
    ProductionWindow(PortMap map, QWidget *owner, int ownerCom = 0);
    ~ProductionWindow() override;

    // The action with Ctrl+L that opens the owner's one window (or brings it forward).
    // onRunning(true) when the line starts, onRunning(false) when it has ended;
    // ownerCom() as above, asked when the window is made.
    static QAction *openAction(PortMap map, QWidget *owner, std::function<void(bool)> onRunning,
                               std::function<int()> ownerCom = {});

    // For the user's choices and for tests alike.
    QLineEdit *templateEdit() const { return m_template; }
    QLineEdit *unitsEdit() const { return m_units; }
    QPushButton *startButton() const { return m_start; }
    QPushButton *stopButton() const { return m_stop; }
    QTableWidget *logTable() const { return m_table; }
    QLabel *tile(int com) const { return m_tiles.value(com); }
    QLabel *counters() const { return m_counters; }
    QCheckBox *portBox(int com) const { return m_portBoxes.value(com); }
    // A network port's box, by its address.
    QCheckBox *portBox(const QString &address) const;
    // "Сетевой порт…": asks for an address to watch beside the COM ports; it is ticked,
    // and remembered as the window's port list remembers addresses.
    NetworkAddressDialog *askAddress();
    QPushButton *closeButton() const { return m_close; }
    // Where the log and the backups go.
    QLabel *logPlace() const { return m_logPlace; }
    QScrollArea *scrollArea() const { return m_scroll; }
    bool running() const { return m_line && m_line->running(); }
    // The folder for backups and the log file; the default one unless a test sets it.
    void setBackupsDir(const QString &dir);
    QString logPath() const { return m_logPath; }
    void setSettleMs(int ms) { m_settleMs = ms; }

    // Starts with the chosen files and ports; false (with an error box) when a file is
    // refused or nothing can be watched. The ports are looked at first: where units
    // already answer, the user is asked before any is written.
    bool startLine();
    void stopLine();

    // The ports ticked at the last start, as the program's settings keep them.
    static QList<int> rememberedPorts();

signals:
    void runningChanged(bool running);

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void fitToScreen();
    void followScreen(QScreen *screen);
    void confirmStart(const QList<int> &answering);
    void showLogPlace();
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
    QHash<int, QCheckBox *> m_portBoxes; // COM numbers, and addresses by their numbers
    QGridLayout *m_addressGrid;
    QList<int> m_addressOrder;
    QPushButton *m_addAddress;
    QPushButton *m_start;
    QPushButton *m_stop;
    QPushButton *m_close;
    QLabel *m_logPlace;
    QScrollArea *m_scroll;
    QWidget *m_content;
    QPointer<QScreen> m_screen;
    bool m_fitted = false;
    int m_ownerCom = 0;
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
