#pragma once

#include "config/catalog.h"
#include "report/sheet.h"

#include <QDateTime>
#include <QDialog>
#include <QObject>
#include <QPointer>
#include <functional>

class Controls;
class QAction;
class QCheckBox;
class QLineEdit;
class QWidget;

// What a sheet shows beyond the pages: whether secrets are hidden (the customer's copy,
// so by default) and who and where it is handed over.
struct SheetChoice
{
    bool mask = true;
    report::Handover handover;
};

// Asked before the sheet's file is chosen.
class SheetChoiceDialog : public QDialog
{
public:
    SheetChoiceDialog(QWidget *parent, const SheetChoice &start);
    SheetChoice choice() const;

private:
    QCheckBox *m_mask;
    QLineEdit *m_site;
    QLineEdit *m_customer;
    QLineEdit *m_installer;
};

// Configuration files in the window, without touching its layout: a context menu on
// the connection bar and two shortcuts. Loading only sets controls, as the factory
// button does; nothing is sent.
class ConfigurationMenu : public QObject
{
    Q_OBJECT

public:
    ConfigurationMenu(QWidget *form, QWidget *connectionBar, Controls &controls);

    QAction *saveAction() const { return m_save; }
    QAction *openAction() const { return m_open; }
    QAction *compareAction() const { return m_compare; }
    QAction *reportAction() const { return m_report; }

    // The file side of the three actions; failures are shown in an error box.
    bool saveTo(const QString &path);
    bool openFrom(const QString &path);
    // Sets the pages from a configuration kept elsewhere (the site book), as opening a
    // file does: nothing is sent. `source` is what a sheet names as where it came from.
    void openConfiguration(const config::Configuration &cfg, const QString &name, const QString &source);
    // Shows the differing controls in a dialog (an information box when there are
    // none) and returns the dialog, or nullptr.
    QDialog *compareWith(const QString &path);
    // The configuration sheet of what the pages hold now, as PDF or HTML by the name's
    // ending; failures are shown in an error box.
    bool reportTo(const QString &path, const SheetChoice &choice = {});
    // The sheet of a configuration that is not in the pages, with `source` as its origin.
    bool reportOf(const config::Configuration &cfg, const QString &source, const QString &path,
                  const SheetChoice &choice = {});
    // Asks what the sheet shows and where it goes; false when the user cancels.
    bool askSheet(QWidget *owner, SheetChoice *choice, QString *path);
    // The last settings read of a controller, which a sheet names as its source unless
    // a file was opened since.
    std::function<report::ControllerRead()> sheetSource;

    // The menu of the connection bar, at a point on the screen.
    void showMenu(const QPoint &globalPos);
    // Another entry for the bar's menu, below the configuration files.
    void addMenuAction(QAction *action) { m_more << action; }
    const QList<QAction *> &moreActions() const { return m_more; }

signals:
    // The window holds what a file holds: it has just been saved to it or opened from it.
    void inStepWithFile();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool loadFile(const QString &path, const QString &refusal, config::Configuration *cfg);
    void chooseAndSave();
    void chooseAndOpen();
    void chooseAndCompare();
    void chooseAndReport();
    QString startFolder() const;
    bool writeSheet(const Controls &controls, report::Origin origin, const QString &path, const SheetChoice &choice);

    QWidget *m_form;
    QWidget *m_bar;
    Controls &m_controls;
    QAction *m_save;
    QAction *m_open;
    QAction *m_compare;
    QAction *m_report;
    QList<QAction *> m_more;
    QString m_lastPath;
    QString m_openedFile;   // the last file opened, and when: a sheet's source
    QString m_openedSource;
    QDateTime m_openedAt;
    config::Configuration m_opened; // what the pages held once it was opened
    report::Handover m_handover; // offered again for the next sheet
    QPointer<QDialog> m_dialog;
};
