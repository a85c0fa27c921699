#pragma once

#include "book/book.h"

#include <QDialog>
#include <QPointer>
#include <optional>

class BookRecorder;
class ConfigurationMenu;
class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QTreeWidget;
class QWidget;

// Which site and controller: a site of the book by name (a new name makes the site) and
// a controller label. Asked after the first read of a controller the book does not know,
// and to give unassigned revisions a site.
class SiteChoiceDialog : public QDialog
{
public:
    SiteChoiceDialog(book::Book &book, const QString &question, QWidget *parent);

    QString siteName() const;
    QString controllerLabel() const;
    // The controller chosen, the site made first when the book has none of that name.
    std::optional<book::Controller> resolve(QString *error) const;

private:
    book::Book &m_book;
    QComboBox *m_site;
    QLineEdit *m_label;
};

// "Объекты…": the book's sites found as one types, a site's card, its controllers and
// each controller's revisions as a timeline; two revisions compared, one opened in the
// window, made a sheet or saved as a file; the unassigned revisions given a site.
class SiteBookWindow : public QDialog
{
    Q_OBJECT

public:
    SiteBookWindow(BookRecorder &recorder, ConfigurationMenu &menu, QWidget *parent);

    // The Файл menu's entry, one window brought forward.
    static QAction *openAction(BookRecorder &recorder, ConfigurationMenu &menu, QWidget *owner);

    // The revisions selected in the timeline or among the unassigned, oldest first.
    QList<book::Revision> selectedRevisions() const;
    // Two revisions' differences as `diff` prints them, in a dialog; nullptr when equal.
    QDialog *compareSelected();
    bool openSelected();
    bool saveSelectedTo(const QString &path);
    bool reportSelectedTo(const QString &path);
    // The selected unassigned revisions go to NAME/LABEL.
    bool assignSelectedTo(const QString &siteName, const QString &label);
    // The card's fields saved, or a new site made when none is selected.
    bool saveCard();
    // The connection's controller is the one selected.
    void useSelectedController();
    // The operator's name and the book's address, kept in the window's settings.
    void applySettings(const QString &operatorName, const QString &location);

    void refresh();

private:
    void findSites();
    void showSite();
    void showTimeline();
    void showUnassigned();
    void followSelection();
    void chooseAndSave();
    void chooseAndReport();
    void askAssign();
    void editSettings();
    QTreeWidget *currentTree() const;
    QString sourceOf(const book::Revision &r) const;
    std::optional<config::Configuration> configurationOf(const book::Revision &r) const;
    std::optional<book::Site> currentSite() const;
    book::Book *book() const;

    BookRecorder &m_recorder;
    ConfigurationMenu &m_menu;
    QList<book::Revision> m_timeline;
    QList<book::Revision> m_unassignedRevisions;
    QLineEdit *m_search;
    QCheckBox *m_withArchived;
    QListWidget *m_sites;
    QLineEdit *m_name;
    QLineEdit *m_address;
    QLineEdit *m_contact;
    QPlainTextEdit *m_notes;
    QCheckBox *m_archived;
    QListWidget *m_controllers;
    QTreeWidget *m_revisions;
    QTreeWidget *m_unassigned;
    QTabWidget *m_tabs;
    QPushButton *m_compare;
    QPushButton *m_open;
    QPushButton *m_report;
    QPushButton *m_save;
    QPushButton *m_assign;
    QPushButton *m_use;
    QLabel *m_outbox;
    QLabel *m_where;
    QPointer<QDialog> m_dialog;
    QString m_lastFolder;
};
