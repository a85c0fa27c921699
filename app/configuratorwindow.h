#pragma once

#include <QMainWindow>
#include <QPointer>

class QDialog;
class QLabel;
class QMenu;
class QPushButton;
class QScreen;
class QScrollArea;
class TForm1;

// The program's window: a menu bar over the configuration form and a status bar under
// it. The form keeps its own size between the bars; on a screen too small for all three
// the window fits the screen and the form scrolls inside it.
class ConfiguratorWindow : public QMainWindow
{
    Q_OBJECT

public:
    // Takes the form.
    explicit ConfiguratorWindow(TForm1 *form, QWidget *parent = nullptr);

    TForm1 *form() const { return m_form; }
    QScrollArea *scrollArea() const { return m_scroll; }
    QMenu *fileMenu() const { return m_file; }
    QMenu *controllerMenu() const { return m_controller; }
    QMenu *helpMenu() const { return m_help; }
    // What the status bar says: how long the controller has kept the window waiting.
    QLabel *waitingLabel() const { return m_waiting; }
    // "Объект: …": the site of the controller on the cable; a click names it.
    QPushButton *siteButton() const { return m_site; }
    // How the network line was set up ("rfc2217://host:2217 — line settings confirmed …").
    QLabel *networkLabel() const { return m_network; }

    // Asks which site the controller on the cable is; the answer is the connection's.
    QDialog *askSite();

    // The size the window takes on `room` (a screen's available area less the frame):
    // the form and the bars whole when they fit, else `room` with scroll bars as needed.
    QSize sizeFor(const QSize &room) const;
    // Fits the window to the screen it is on and keeps it there.
    void fitToScreen();

    // "О программе" and "Горячие клавиши": one window of each, brought forward when open.
    QDialog *showAbout();
    QDialog *showShortcuts();
    static QString aboutText();

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void buildMenus();
    void buildStatusBar();
    void followScreen(QScreen *screen);
    void showSite();
    QDialog *textWindow(QPointer<QDialog> &kept, const QString &title, const QString &html);

    TForm1 *m_form;
    QScrollArea *m_scroll;
    QMenu *m_file = nullptr;
    QMenu *m_controller = nullptr;
    QMenu *m_help = nullptr;
    QLabel *m_waiting = nullptr;
    QPushButton *m_site = nullptr;
    QPushButton *m_undoMatch = nullptr;
    QLabel *m_outbox = nullptr;
    QLabel *m_network = nullptr;
    QPointer<QDialog> m_siteQuestion;
    QPointer<QDialog> m_about;
    QPointer<QDialog> m_shortcuts;
    QPointer<QScreen> m_screen;
};
