#include "app/sitebookwindow.h"

#include "app/differencesdialog.h"

#include "app/bookrecorder.h"
#include "app/configurationmenu.h"
#include "config/catalog.h"
#include "config/configform.h"
#include "ui/desktop.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTabWidget>
#include <QTableWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

const char kFilter[] = "Конфигурации Tavrix (*.cfg);;Все файлы (*)";

QString kindText(book::Kind kind)
{
    switch (kind) {
    case book::Kind::Read:
        return QStringLiteral("чтение");
    case book::Kind::Write:
        return QStringLiteral("запись");
    case book::Kind::Audit:
        return QStringLiteral("сверка");
    case book::Kind::Undo:
        return QStringLiteral("возврат прежних");
    case book::Kind::Line:
        return QStringLiteral("серийная запись");
    case book::Kind::Import:
        return QStringLiteral("импорт");
    }
    return book::kindName(kind);
}

QString timeText(const QDateTime &time)
{
    return time.toLocalTime().toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
}

void fillRevisions(QTreeWidget *tree, const QList<book::Revision> &revisions, bool withSite)
{
    tree->clear();
    for (const book::Revision &r : revisions) {
        QStringList cells{timeText(r.time), r.operatorName, kindText(r.kind),
                          r.proved ? QStringLiteral("да") : QStringLiteral("нет"), r.port, r.fingerprint, r.shortId()};
        if (withSite)
            cells.insert(0, r.site.isEmpty() ? QString() : r.site + QLatin1Char('/') + r.controller);
        auto *item = new QTreeWidgetItem(tree, cells);
        item->setData(0, Qt::UserRole, r.id);
        item->setToolTip(0, QStringLiteral("%1, %2").arg(r.machine, r.device));
    }
    for (int c = 0; c < tree->columnCount(); ++c)
        tree->resizeColumnToContents(c);
}

QTreeWidget *revisionTree(QWidget *parent, const char *name, const QStringList &headers)
{
    auto *tree = new QTreeWidget(parent);
    tree->setObjectName(QLatin1String(name));
    tree->setRootIsDecorated(false);
    tree->setSelectionMode(QAbstractItemView::ExtendedSelection);
    tree->setHeaderLabels(headers);
    return tree;
}

QPushButton *namedButton(QWidget *parent, const char *name, const QString &text)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    return b;
}

} // namespace

SiteChoiceDialog::SiteChoiceDialog(book::Book &book, const QString &question, QWidget *parent)
    : QDialog(parent), m_book(book)
{
    setObjectName(QStringLiteral("siteChoice"));
    setWindowTitle(QStringLiteral("Объект"));
    auto *layout = new QVBoxLayout(this);
    auto *text = new QLabel(question, this);
    text->setWordWrap(true);
    layout->addWidget(text);
    auto *fields = new QFormLayout;
    m_site = new QComboBox(this);
    m_site->setObjectName(QStringLiteral("choiceSite"));
    m_site->setEditable(true);
    for (const book::Found &f : book.search(QString(), 1000))
        m_site->addItem(f.site.name);
    m_site->setCurrentIndex(-1);
    m_site->lineEdit()->setPlaceholderText(QStringLiteral("название объекта; новое название — новый объект"));
    m_label = new QLineEdit(QString::fromUtf16(book::kMainController), this);
    m_label->setObjectName(QStringLiteral("choiceController"));
    fields->addRow(QStringLiteral("Объект:"), m_site);
    fields->addRow(QStringLiteral("Контроллер:"), m_label);
    layout->addLayout(fields);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Привязать"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Не сейчас"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

QString SiteChoiceDialog::siteName() const
{
    return m_site->currentText().trimmed();
}

QString SiteChoiceDialog::controllerLabel() const
{
    const QString label = m_label->text().trimmed();
    return label.isEmpty() ? QString::fromUtf16(book::kMainController) : label;
}

std::optional<book::Controller> SiteChoiceDialog::resolve(QString *error) const
{
    auto site = m_book.site(siteName());
    if (!site) {
        book::Site made;
        made.name = siteName();
        if (!m_book.addSite(made, error))
            return std::nullopt;
        site = made;
    }
    return m_book.controller(site->id, controllerLabel(), true, error);
}

SiteBookWindow::SiteBookWindow(BookRecorder &recorder, ConfigurationMenu &menu, QWidget *parent)
    : QDialog(parent), m_recorder(recorder), m_menu(menu)
{
    setObjectName(QStringLiteral("siteBook"));
    setWindowTitle(QStringLiteral("Объекты"));
    auto *layout = new QVBoxLayout(this);
    m_search = new QLineEdit(this);
    m_search->setObjectName(QStringLiteral("bookSearch"));
    m_search->setPlaceholderText(QStringLiteral("Поиск: название, адрес, контакт, заметки, номер телефона, отпечаток"));
    m_search->setClearButtonEnabled(true);
    // Archived sites keep their history; they are only out of the way until asked for.
    m_withArchived = new QCheckBox(QStringLiteral("Показывать архивные"), this);
    m_withArchived->setObjectName(QStringLiteral("showArchived"));
    auto *searchRow = new QHBoxLayout;
    searchRow->addWidget(m_search, 1);
    searchRow->addWidget(m_withArchived);
    layout->addLayout(searchRow);

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("bookTabs"));
    auto *sitesPage = new QSplitter(m_tabs);
    m_sites = new QListWidget(sitesPage);
    m_sites->setObjectName(QStringLiteral("bookSites"));
    auto *right = new QWidget(sitesPage);
    auto *rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    auto *card = new QFormLayout;
    const auto line = [&](QLineEdit *&edit, const char *name, const QString &label) {
        edit = new QLineEdit(right);
        edit->setObjectName(QLatin1String(name));
        card->addRow(label, edit);
    };
    line(m_name, "siteName", QStringLiteral("Название:"));
    line(m_address, "siteAddress", QStringLiteral("Адрес:"));
    line(m_contact, "siteContact", QStringLiteral("Контакт:"));
    m_notes = new QPlainTextEdit(right);
    m_notes->setObjectName(QStringLiteral("siteNotes"));
    m_notes->setMaximumHeight(m_notes->fontMetrics().lineSpacing() * 4 + 12);
    card->addRow(QStringLiteral("Заметки:"), m_notes);
    m_archived = new QCheckBox(QStringLiteral("В архиве"), right);
    m_archived->setObjectName(QStringLiteral("siteArchived"));
    card->addRow(QString(), m_archived);
    rightLayout->addLayout(card);
    auto *cardButtons = new QHBoxLayout;
    auto *newSite = namedButton(right, "newSite", QStringLiteral("Новый объект"));
    auto *saveSite = namedButton(right, "saveSite", QStringLiteral("Сохранить карточку"));
    m_use = namedButton(right, "useController", QStringLiteral("Это контроллер на связи"));
    cardButtons->addWidget(newSite);
    cardButtons->addWidget(saveSite);
    cardButtons->addStretch();
    cardButtons->addWidget(m_use);
    rightLayout->addLayout(cardButtons);
    m_controllers = new QListWidget(right);
    m_controllers->setObjectName(QStringLiteral("bookControllers"));
    m_controllers->setMaximumHeight(m_controllers->fontMetrics().lineSpacing() * 3 + 12);
    rightLayout->addWidget(new QLabel(QStringLiteral("Контроллеры:"), right));
    rightLayout->addWidget(m_controllers);
    m_revisions = revisionTree(right, "bookTimeline",
                               {QStringLiteral("Когда"), QStringLiteral("Кто"), QStringLiteral("Что"),
                                QStringLiteral("Проверено"), QStringLiteral("Порт"), QStringLiteral("Отпечаток"),
                                QStringLiteral("Запись")});
    rightLayout->addWidget(m_revisions, 1);
    sitesPage->setStretchFactor(1, 3);
    m_tabs->addTab(sitesPage, QStringLiteral("Объекты"));
    m_unassigned = revisionTree(m_tabs, "bookUnassigned",
                                {QStringLiteral("Объект"), QStringLiteral("Когда"), QStringLiteral("Кто"),
                                 QStringLiteral("Что"), QStringLiteral("Проверено"), QStringLiteral("Порт"),
                                 QStringLiteral("Отпечаток"), QStringLiteral("Запись")});
    m_tabs->addTab(m_unassigned, QStringLiteral("Не привязанные"));
    layout->addWidget(m_tabs, 1);

    auto *actions = new QHBoxLayout;
    m_compare = namedButton(this, "compareRevisions", QStringLiteral("Сравнить"));
    m_open = namedButton(this, "openRevision", QStringLiteral("Открыть в окне"));
    m_report = namedButton(this, "reportRevision", QStringLiteral("Отчёт…"));
    m_save = namedButton(this, "saveRevision", QStringLiteral("Сохранить как файл…"));
    m_assign = namedButton(this, "assignRevision", QStringLiteral("Привязать к объекту…"));
    for (QPushButton *b : {m_compare, m_open, m_report, m_save, m_assign})
        actions->addWidget(b);
    actions->addStretch();
    layout->addLayout(actions);

    auto *bottom = new QHBoxLayout;
    m_where = new QLabel(this);
    m_where->setObjectName(QStringLiteral("bookLocation"));
    m_where->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_outbox = new QLabel(this);
    m_outbox->setObjectName(QStringLiteral("bookOutbox"));
    auto *settings = namedButton(this, "bookSettings", QStringLiteral("Настройки…"));
    bottom->addWidget(m_where, 1);
    bottom->addWidget(m_outbox);
    bottom->addWidget(settings);
    layout->addLayout(bottom);

    connect(m_search, &QLineEdit::textChanged, this, &SiteBookWindow::findSites);
    connect(m_withArchived, &QCheckBox::toggled, this, &SiteBookWindow::findSites);
    connect(m_sites, &QListWidget::currentRowChanged, this, &SiteBookWindow::showSite);
    connect(m_controllers, &QListWidget::currentRowChanged, this, &SiteBookWindow::showTimeline);
    connect(m_revisions, &QTreeWidget::itemSelectionChanged, this, &SiteBookWindow::followSelection);
    connect(m_unassigned, &QTreeWidget::itemSelectionChanged, this, &SiteBookWindow::followSelection);
    connect(m_tabs, &QTabWidget::currentChanged, this, &SiteBookWindow::followSelection);
    connect(newSite, &QPushButton::clicked, this, [this] {
        m_sites->setCurrentRow(-1);
        m_name->setFocus();
    });
    connect(saveSite, &QPushButton::clicked, this, &SiteBookWindow::saveCard);
    connect(m_use, &QPushButton::clicked, this, &SiteBookWindow::useSelectedController);
    connect(m_compare, &QPushButton::clicked, this, &SiteBookWindow::compareSelected);
    connect(m_open, &QPushButton::clicked, this, &SiteBookWindow::openSelected);
    connect(m_report, &QPushButton::clicked, this, &SiteBookWindow::chooseAndReport);
    connect(m_save, &QPushButton::clicked, this, &SiteBookWindow::chooseAndSave);
    connect(m_assign, &QPushButton::clicked, this, &SiteBookWindow::askAssign);
    connect(settings, &QPushButton::clicked, this, &SiteBookWindow::editSettings);
    // What the window records shows up here at once.
    connect(&m_recorder, &BookRecorder::recorded, this, [this] {
        if (isVisible())
            refresh();
    });
    resize(900, 600);
    refresh();
}

QAction *SiteBookWindow::openAction(BookRecorder &recorder, ConfigurationMenu &menu, QWidget *owner)
{
    auto *action = new QAction(QStringLiteral("Объекты…"), owner);
    action->setObjectName(QStringLiteral("openSiteBook"));
    auto window = std::make_shared<QPointer<SiteBookWindow>>();
    QObject::connect(action, &QAction::triggered, owner, [&recorder, &menu, owner, window] {
        if (!*window)
            *window = new SiteBookWindow(recorder, menu, owner);
        else
            (*window)->refresh();
        (*window)->show();
        (*window)->raise();
        (*window)->activateWindow();
    });
    return action;
}

book::Book *SiteBookWindow::book() const
{
    return m_recorder.book();
}

void SiteBookWindow::refresh()
{
    book::Book *b = book();
    m_where->setText(b ? QStringLiteral("Журнал: %1").arg(b->location())
                       : QStringLiteral("Журнал недоступен: %1").arg(m_recorder.lastError()));
    m_outbox->setText(m_recorder.outboxText());
    findSites();
    showUnassigned();
}

void SiteBookWindow::findSites()
{
    const qint64 was = m_sites->currentItem() ? m_sites->currentItem()->data(Qt::UserRole).toLongLong() : 0;
    const QSignalBlocker quiet(m_sites);
    m_sites->clear();
    if (book::Book *b = book()) {
        for (const book::Found &f : b->search(m_search->text().trimmed(), 200, m_withArchived->isChecked())) {
            auto *item = new QListWidgetItem(
                f.site.archived ? QStringLiteral("%1 (в архиве)").arg(f.site.name) : f.site.name, m_sites);
            item->setData(Qt::UserRole, f.site.id);
            if (f.site.archived)
                item->setForeground(palette().brush(QPalette::Disabled, QPalette::Text));
            if (!f.matched.isEmpty())
                item->setToolTip(f.matched);
            if (f.site.id == was)
                m_sites->setCurrentItem(item);
        }
    }
    // The only hit is the one meant.
    if (!m_sites->currentItem() && m_sites->count() == 1)
        m_sites->setCurrentRow(0);
    showSite();
}

std::optional<book::Site> SiteBookWindow::currentSite() const
{
    book::Book *b = book();
    if (!b || !m_sites->currentItem())
        return std::nullopt;
    return b->site(m_sites->currentItem()->data(Qt::UserRole).toLongLong());
}

void SiteBookWindow::showSite()
{
    const auto site = currentSite();
    m_name->setText(site ? site->name : QString());
    m_address->setText(site ? site->address : QString());
    m_contact->setText(site ? site->contact : QString());
    m_notes->setPlainText(site ? site->notes : QString());
    m_archived->setChecked(site && site->archived);
    const QSignalBlocker quiet(m_controllers);
    m_controllers->clear();
    if (site) {
        for (const book::Controller &c : book()->controllers(site->id)) {
            auto *item = new QListWidgetItem(c.label, m_controllers);
            item->setData(Qt::UserRole, c.id);
        }
        if (m_controllers->count() > 0)
            m_controllers->setCurrentRow(0);
    }
    showTimeline();
}

void SiteBookWindow::showTimeline()
{
    const QListWidgetItem *item = m_controllers->currentItem();
    m_timeline = item && book() ? book()->revisions(item->data(Qt::UserRole).toLongLong()) : QList<book::Revision>{};
    fillRevisions(m_revisions, m_timeline, false);
    followSelection();
}

void SiteBookWindow::showUnassigned()
{
    m_unassignedRevisions = book() ? book()->unassigned() : QList<book::Revision>{};
    fillRevisions(m_unassigned, m_unassignedRevisions, false);
    m_tabs->setTabText(1, m_unassignedRevisions.isEmpty()
                              ? QStringLiteral("Не привязанные")
                              : QStringLiteral("Не привязанные (%1)").arg(m_unassignedRevisions.size()));
    followSelection();
}

QTreeWidget *SiteBookWindow::currentTree() const
{
    return m_tabs->currentIndex() == 1 ? m_unassigned : m_revisions;
}

QList<book::Revision> SiteBookWindow::selectedRevisions() const
{
    const QList<book::Revision> &shown = currentTree() == m_unassigned ? m_unassignedRevisions : m_timeline;
    QList<book::Revision> out;
    // Newest first on screen, oldest first here: a comparison reads from before to after.
    for (auto it = shown.crbegin(); it != shown.crend(); ++it) {
        for (const QTreeWidgetItem *item : currentTree()->selectedItems()) {
            if (item->data(0, Qt::UserRole).toString() == it->id)
                out << *it;
        }
    }
    return out;
}

void SiteBookWindow::followSelection()
{
    const qsizetype n = selectedRevisions().size();
    m_compare->setEnabled(n == 2);
    for (QPushButton *b : {m_open, m_report, m_save})
        b->setEnabled(n == 1);
    // Giving a site is for the unassigned only.
    m_assign->setVisible(currentTree() == m_unassigned);
    m_assign->setEnabled(currentTree() == m_unassigned && n > 0);
    m_use->setEnabled(m_controllers->currentItem() != nullptr);
}

std::optional<config::Configuration> SiteBookWindow::configurationOf(const book::Revision &r) const
{
    QString error;
    auto cfg = book::configurationOf(r.configuration, &error);
    if (!cfg)
        Desktop::instance().showError(QStringLiteral("Запись %1 не читается: %2").arg(r.shortId(), error));
    return cfg;
}

QString SiteBookWindow::sourceOf(const book::Revision &r) const
{
    const QString whose = r.site.isEmpty() ? QStringLiteral("не привязанные") : r.site + QLatin1Char('/') + r.controller;
    return QStringLiteral("Из журнала объектов: %1, запись %2 от %3").arg(whose, r.shortId(), timeText(r.time));
}

QDialog *SiteBookWindow::compareSelected()
{
    const QList<book::Revision> two = selectedRevisions();
    if (two.size() != 2 || !book())
        return nullptr;
    if (!configurationOf(two[0]) || !configurationOf(two[1]))
        return nullptr;
    const QList<config::Difference> diffs = book()->diff(two[0], two[1]);
    if (diffs.isEmpty()) {
        Desktop::instance().showInformation(
            QStringLiteral("Записи %1 и %2 совпадают").arg(two[0].shortId(), two[1].shortId()));
        return nullptr;
    }
    delete m_dialog;
    const auto header = [](const book::Revision &r) { return QStringLiteral("%1 %2").arg(r.shortId(), timeText(r.time)); };
    m_dialog = showDifferences(this, diffs,
                               {QStringLiteral("Сравнение записей %1 и %2").arg(two[0].shortId(), two[1].shortId()),
                                QStringLiteral("Отличается настроек: %1").arg(diffs.size()), header(two[0]),
                                header(two[1]), true, QSize(760, 380)});
    return m_dialog;
}

bool SiteBookWindow::openSelected()
{
    const QList<book::Revision> one = selectedRevisions();
    if (one.size() != 1)
        return false;
    const auto cfg = configurationOf(one[0]);
    if (!cfg)
        return false;
    const book::Revision &r = one[0];
    const QString name = r.site.isEmpty() ? r.shortId() : QStringLiteral("%1/%2 %3").arg(r.site, r.controller, r.shortId());
    m_menu.openConfiguration(*cfg, name, sourceOf(r));
    return true;
}

bool SiteBookWindow::saveSelectedTo(const QString &path)
{
    const QList<book::Revision> one = selectedRevisions();
    if (one.size() != 1)
        return false;
    QString error;
    // The text as the book keeps it is the file: nothing is rendered again.
    if (!configurationOf(one[0]) || !config::save(path, one[0].configuration, &error)) {
        if (!error.isEmpty())
            Desktop::instance().showError(QStringLiteral("Конфигурация не сохранена: %1: %2").arg(path, error));
        return false;
    }
    m_lastFolder = QFileInfo(path).absolutePath();
    return true;
}

void SiteBookWindow::chooseAndSave()
{
    const QList<book::Revision> one = selectedRevisions();
    if (one.size() != 1)
        return;
    const QString suggested = QDir(m_lastFolder.isEmpty() ? QDir::homePath() : m_lastFolder)
                                  .filePath(QStringLiteral("%1-%2.cfg").arg(one[0].site.isEmpty() ? QStringLiteral("revision") : one[0].site, one[0].shortId()));
    QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Сохранить как файл"), suggested,
                                                QString::fromUtf8(kFilter));
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".cfg");
    saveSelectedTo(path);
}

bool SiteBookWindow::reportSelectedTo(const QString &path)
{
    const QList<book::Revision> one = selectedRevisions();
    if (one.size() != 1)
        return false;
    const auto cfg = configurationOf(one[0]);
    SheetChoice choice;
    choice.handover.site = one[0].site;
    return cfg && m_menu.reportOf(*cfg, sourceOf(one[0]), path, choice);
}

void SiteBookWindow::chooseAndReport()
{
    const QList<book::Revision> one = selectedRevisions();
    if (one.size() != 1)
        return;
    const auto cfg = configurationOf(one[0]);
    SheetChoice choice;
    QString path;
    if (cfg && m_menu.askSheet(this, &choice, &path))
        m_menu.reportOf(*cfg, sourceOf(one[0]), path, choice);
}

bool SiteBookWindow::assignSelectedTo(const QString &siteName, const QString &label)
{
    book::Book *b = book();
    const QList<book::Revision> chosen = selectedRevisions();
    if (!b || chosen.isEmpty() || currentTree() != m_unassigned)
        return false;
    SiteChoiceDialog ask(*b, QString(), this);
    ask.findChild<QComboBox *>(QStringLiteral("choiceSite"))->setEditText(siteName);
    ask.findChild<QLineEdit *>(QStringLiteral("choiceController"))->setText(label);
    QString error;
    const auto controller = ask.resolve(&error);
    if (!controller) {
        Desktop::instance().showError(QStringLiteral("Записи не привязаны: %1").arg(error));
        return false;
    }
    for (const book::Revision &r : chosen) {
        if (!b->assign(r.id, controller->id, &error)) {
            Desktop::instance().showError(QStringLiteral("Запись %1 не привязана: %2").arg(r.shortId(), error));
            refresh();
            return false;
        }
    }
    refresh();
    return true;
}

void SiteBookWindow::askAssign()
{
    book::Book *b = book();
    if (!b)
        return;
    SiteChoiceDialog ask(*b, QStringLiteral("Привязать выбранные записи к объекту:"), this);
    if (ask.exec() == QDialog::Accepted)
        assignSelectedTo(ask.siteName(), ask.controllerLabel());
}

bool SiteBookWindow::saveCard()
{
    book::Book *b = book();
    if (!b)
        return false;
    auto site = currentSite();
    const bool adding = !site;
    book::Site edited = site.value_or(book::Site{});
    edited.name = m_name->text().trimmed();
    edited.address = m_address->text().trimmed();
    edited.contact = m_contact->text().trimmed();
    edited.notes = m_notes->toPlainText();
    edited.archived = m_archived->isChecked();
    QString error;
    if (adding ? !b->addSite(edited, &error) : !b->editSite(edited, &error)) {
        Desktop::instance().showError(QStringLiteral("Карточка объекта не сохранена: %1").arg(error));
        return false;
    }
    // A new site is found at once, whatever was searched before.
    if (adding)
        m_search->setText(edited.name);
    findSites();
    for (int i = 0; i < m_sites->count(); ++i) {
        if (m_sites->item(i)->data(Qt::UserRole).toLongLong() == edited.id)
            m_sites->setCurrentRow(i);
    }
    return true;
}

void SiteBookWindow::useSelectedController()
{
    const auto site = currentSite();
    const QListWidgetItem *item = m_controllers->currentItem();
    if (!site || !item)
        return;
    m_recorder.choose(book::Controller{item->data(Qt::UserRole).toLongLong(), site->id, item->text()}, site->name);
}

void SiteBookWindow::applySettings(const QString &operatorName, const QString &location)
{
    BookRecorder::saveSettings(operatorName, location);
    m_recorder.reopen();
    refresh();
}

void SiteBookWindow::editSettings()
{
    QDialog ask(this);
    ask.setWindowTitle(QStringLiteral("Настройки журнала объектов"));
    auto *layout = new QFormLayout(&ask);
    auto *who = new QLineEdit(BookRecorder::operatorSetting(), &ask);
    who->setObjectName(QStringLiteral("bookOperator"));
    who->setPlaceholderText(QStringLiteral("имя пользователя системы"));
    auto *where = new QLineEdit(BookRecorder::locationSetting(), &ask);
    where->setObjectName(QStringLiteral("bookUrl"));
    where->setPlaceholderText(book::defaultLocation());
    where->setToolTip(QStringLiteral("Файл журнала или postgresql://ПОЛЬЗОВАТЕЛЬ@СЕРВЕР[:ПОРТ]/БАЗА"));
    layout->addRow(QStringLiteral("Оператор:"), who);
    layout->addRow(QStringLiteral("Журнал:"), where);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &ask);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Сохранить"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Отмена"));
    connect(buttons, &QDialogButtonBox::accepted, &ask, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &ask, &QDialog::reject);
    layout->addRow(buttons);
    ask.resize(520, ask.sizeHint().height());
    if (ask.exec() == QDialog::Accepted)
        applySettings(who->text(), where->text());
}
