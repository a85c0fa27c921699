#include "app/configuratorwindow.h"

#include "app/banner.h"
#include "app/bookrecorder.h"
#include "app/sitebookwindow.h"
#include "app/configurationmenu.h"
#include "app/tform1.h"
#include "app/windowactions.h"
#include "integrity/buildinfo.h"
#include "integrity/shippedfiles.h"
#include "ui/desktop.h"
#include "ui/screenroom.h"

#include <QAction>
#include <QCloseEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QStyle>
#include <QVBoxLayout>
#include <QWindow>

namespace {

const char kWebAddress[] = "https://www.tavrix.example/";
// What the program is under and what it ships of others', as NOTICES.txt says at length.
const char kNotices[] =
    "<p>Лицензия MIT, © 2026 The Tavrix configurator developers.</p>"
    "<p>В составе: Qt 6 (LGPL-3; исходный текст — пакет qt6-base в Debian, "
    "<a href=\"https://sources.debian.org/src/qt6-base/\">sources.debian.org/src/qt6-base</a>), "
    "libjpeg-turbo (лицензии IJG и BSD), SQLite (общественное достояние), "
    "шрифты DejaVu (свободная лицензия Bitstream Vera). "
    "Тексты лицензий — в LICENSE.txt и NOTICES.txt рядом с программой "
    "(в Debian — /usr/share/doc/tavrix-configurator/copyright).</p>";

// The keys that no menu entry shows.
const struct
{
    const char *keys;
    const char *what;
} kOtherKeys[] = {
    {"Ctrl+Tab", "Следующая страница"},
    {"Ctrl+Shift+Tab", "Предыдущая страница"},
    {"Tab, Shift+Tab", "Следующий, предыдущий элемент страницы"},
    {"Alt+буква", "Меню и пункт с подчёркнутой буквой"},
    {"F10", "Строка меню"},
};

} // namespace

ConfiguratorWindow::ConfiguratorWindow(TForm1 *form, QWidget *parent)
    : QMainWindow(parent), m_form(form), m_scroll(new QScrollArea(this))
{
    setObjectName(QStringLiteral("ConfiguratorWindow"));
    setWindowTitle(form->windowTitle());
    m_scroll->setObjectName(QStringLiteral("formScroller"));
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setWidgetResizable(false);
    m_scroll->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Not a Tab stop of its own: Tab goes from control to control and the area scrolls
    // to the one that takes the focus.
    m_scroll->setFocusPolicy(Qt::NoFocus);
    m_scroll->setWidget(form);
    setCentralWidget(m_scroll);
    buildMenus();
    buildStatusBar();
    fitToScreen();
}

void ConfiguratorWindow::buildStatusBar()
{
    QStatusBar *bar = statusBar();
    bar->setObjectName(QStringLiteral("statusBar"));
    // The window keeps its size: nothing to drag.
    bar->setSizeGripEnabled(false);
    m_waiting = new QLabel(bar);
    m_waiting->setObjectName(QStringLiteral("waitingLabel"));
    // As high as its tallest text whether it says something or not, so that the form never
    // loses room to it while the window waits. The texts, not the font: a glyph from a
    // fallback font (the dash, under Wine) makes a line taller than the font's own.
    int tallest = m_waiting->fontMetrics().height();
    for (int seconds : {WaitingStatus::kSilentAfterSeconds - 1, WaitingStatus::kSilentAfterSeconds}) {
        m_waiting->setText(WaitingStatus::textAfter(seconds));
        tallest = qMax(tallest, m_waiting->sizeHint().height());
    }
    m_waiting->setMinimumHeight(tallest);
    // A widget rather than a message: a menu entry's status tip would clear a message.
    bar->addWidget(m_waiting, 1);
    const WaitingStatus &waiting = m_form->waitingStatus();
    m_waiting->setText(waiting.text());
    connect(&waiting, &WaitingStatus::changed, m_waiting, &QLabel::setText);

    // How a network line was set up, while one is connected.
    m_network = new QLabel(bar);
    m_network->setObjectName(QStringLiteral("networkStatus"));
    bar->addPermanentWidget(m_network);
    const auto showNetwork = [this](const QString &text) {
        m_network->setText(text);
        m_network->setVisible(!text.isEmpty());
    };
    showNetwork(m_form->networkStatus());
    connect(m_form, &TForm1::networkStatusChanged, m_network, showNetwork);

    // The site book's part, at the right end, away from what the bar says already.
    m_outbox = new QLabel(bar);
    m_outbox->setObjectName(QStringLiteral("bookOutboxStatus"));
    bar->addPermanentWidget(m_outbox);
    m_undoMatch = new QPushButton(bar);
    m_undoMatch->setObjectName(QStringLiteral("undoSiteMatch"));
    m_undoMatch->setFlat(true);
    m_undoMatch->setToolTip(QStringLiteral("Журнал узнал контроллер по настройкам; отменить это"));
    bar->addPermanentWidget(m_undoMatch);
    m_site = new QPushButton(bar);
    m_site->setObjectName(QStringLiteral("siteStatus"));
    m_site->setFlat(true);
    m_site->setToolTip(QStringLiteral("Объект, к которому относится контроллер на связи"));
    bar->addPermanentWidget(m_site);
    BookRecorder &book = m_form->bookRecorder();
    connect(m_site, &QPushButton::clicked, this, &ConfiguratorWindow::askSite);
    connect(m_undoMatch, &QPushButton::clicked, &book, &BookRecorder::undoMatch);
    connect(&book, &BookRecorder::changed, this, &ConfiguratorWindow::showSite);
    connect(&book, &BookRecorder::unknownController, this, &ConfiguratorWindow::askSite);
    showSite();
}

void ConfiguratorWindow::showSite()
{
    BookRecorder &book = m_form->bookRecorder();
    m_site->setText(book.siteText());
    m_undoMatch->setVisible(book.matched());
    if (book.matched())
        m_undoMatch->setText(QStringLiteral("узнан %1 — не тот объект?").arg(book.matchedBy()));
    const QString outbox = book.outboxText();
    m_outbox->setText(outbox);
    m_outbox->setVisible(!outbox.isEmpty());
}

QDialog *ConfiguratorWindow::askSite()
{
    BookRecorder &recorder = m_form->bookRecorder();
    book::Book *book = recorder.book();
    if (!book) {
        Desktop::instance().showError(QStringLiteral("Журнал объектов недоступен: %1").arg(recorder.lastError()));
        return nullptr;
    }
    // Not modal: the window goes on working while the user thinks.
    if (!m_siteQuestion) {
        auto *dialog = new SiteChoiceDialog(
            *book, QStringLiteral("Какой объект у контроллера на связи? Его чтения и записи попадут в журнал этого объекта."),
            this);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        connect(dialog, &QDialog::accepted, this, [this, dialog] {
            QString error;
            const auto controller = dialog->resolve(&error);
            if (!controller) {
                Desktop::instance().showError(QStringLiteral("Объект не выбран: %1").arg(error));
                return;
            }
            m_form->bookRecorder().choose(*controller, dialog->siteName());
        });
        m_siteQuestion = dialog;
    }
    m_siteQuestion->show();
    m_siteQuestion->raise();
    return m_siteQuestion;
}

void ConfiguratorWindow::buildMenus()
{
    QMenuBar *bar = menuBar();
    m_file = bar->addMenu(QStringLiteral("&Файл"));
    m_file->setObjectName(QStringLiteral("fileMenu"));
    m_controller = bar->addMenu(QStringLiteral("&Контроллер"));
    m_controller->setObjectName(QStringLiteral("controllerMenu"));
    m_help = bar->addMenu(QStringLiteral("&Справка"));
    m_help->setObjectName(QStringLiteral("helpMenu"));

    QStringList named;
    for (const WindowCommand &row : windowCommands()) {
        named << QLatin1String(row.source);
        QObject *source = row.menu == WindowMenu::None ? nullptr : windowActionSource(m_form, row.source);
        if (!source)
            continue;
        QMenu *menu = row.menu == WindowMenu::File ? m_file : m_controller;
        if (row.separatorBefore && !menu->isEmpty())
            menu->addSeparator();
        addMirror(menu, source, m_form);
    }
    // Entries given to the bar's menu without a row of their own are file work too.
    if (auto *configurations = m_form->findChild<ConfigurationMenu *>()) {
        bool separated = false;
        for (QAction *action : configurations->moreActions()) {
            if (named.contains(action->objectName()) && !action->objectName().isEmpty())
                continue;
            if (!std::exchange(separated, true))
                m_file->addSeparator();
            addMirror(m_file, action, m_form);
        }
    }
    m_file->addSeparator();
    QAction *quit = m_file->addAction(withMnemonic(QStringLiteral("Выход"), m_file), this, &QWidget::close);
    quit->setObjectName(QStringLiteral("menuQuit"));
    quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    QAction *about = m_help->addAction(QStringLiteral("&О программе"), this, &ConfiguratorWindow::showAbout);
    about->setObjectName(QStringLiteral("menuAbout"));
    QAction *keys = m_help->addAction(QStringLiteral("&Горячие клавиши"), this, &ConfiguratorWindow::showShortcuts);
    keys->setObjectName(QStringLiteral("menuShortcuts"));
    keys->setShortcut(QKeySequence(Qt::Key_F1));
}

QSize ConfiguratorWindow::sizeFor(const QSize &room) const
{
    const int extent = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_scroll);
    // Once shown, the bars' heights as laid out (a style may give them more than their
    // size hints say); before, the heights the layout will give them.
    const int bar = isVisible() ? m_scroll->y()
        : menuBar()->hasHeightForWidth() ? menuBar()->heightForWidth(m_form->width())
                                         : menuBar()->sizeHint().height();
    const int status = isVisible() ? statusBar()->height() : statusBar()->sizeHint().height();
    int width = m_form->width();
    int height = m_form->height() + bar + status;
    // A scroll bar in one direction takes room from the other and may call for a second.
    bool vertical = height > room.height();
    if (vertical)
        width += extent;
    if (width > room.width()) {
        height += extent;
        if (!vertical && height > room.height())
            width += extent;
    }
    return {qMin(width, room.width()), qMin(height, room.height())};
}

void ConfiguratorWindow::fitToScreen()
{
    const QRect available = screenroom::available(this);
    if (available.isEmpty())
        return;
    setFixedSize(sizeFor(screenroom::forClientArea(this, available)));
    if (isVisible())
        screenroom::keepOn(this, available);
    // The banner as sharp as the screen can show it; a ratio it already has keeps it.
    auto *banner = m_form->findChild<QLabel *>(QStringLiteral("Image1"));
    const qreal ratio = devicePixelRatioF();
    if (banner && banner->pixmap().devicePixelRatio() != ratio)
        banner->setPixmap(bannerPixmap(ratio));
}

void ConfiguratorWindow::followScreen(QScreen *screen)
{
    if (m_screen)
        disconnect(m_screen, nullptr, this, nullptr);
    m_screen = screen;
    if (screen) {
        connect(screen, &QScreen::availableGeometryChanged, this, &ConfiguratorWindow::fitToScreen);
        connect(screen, &QScreen::logicalDotsPerInchChanged, this, &ConfiguratorWindow::fitToScreen);
    }
    fitToScreen();
}

void ConfiguratorWindow::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (QWindow *window = windowHandle(); window && !m_screen) {
        connect(window, &QWindow::screenChanged, this, &ConfiguratorWindow::followScreen);
        followScreen(window->screen());
    }
}

void ConfiguratorWindow::closeEvent(QCloseEvent *event)
{
    // The form asks about edits that would be lost; its answer is the window's.
    if (m_form->isVisible() && !m_form->close()) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

QString ConfiguratorWindow::aboutText()
{
    return QStringLiteral("<p><b>Конфигуратор Tavrix</b><br>Версия %1</p>"
                          "<p>Qt %2</p>"
                          "<p>Порт: 9600 бод, 8 бит данных, без чётности, 1 стоповый бит</p>"
                          "<p><a href=\"%3\">%3</a></p>")
               .arg(QStringLiteral(TAVRIX_VERSION), QString::fromLatin1(qVersion()), QLatin1String(kWebAddress)) +
           QStringLiteral("<p>Сборка %1<br>%2</p>")
               .arg(buildinfo::commit().toHtmlEscaped(),
                    shippedfiles::russianSummary(shippedfiles::checkThisInstallation()).toHtmlEscaped()) +
           QString::fromUtf8(kNotices);
}

QDialog *ConfiguratorWindow::textWindow(QPointer<QDialog> &kept, const QString &title, const QString &html)
{
    if (!kept) {
        auto *dialog = new QDialog(this);
        dialog->setWindowTitle(title);
        auto *layout = new QVBoxLayout(dialog);
        auto *text = new QLabel(html, dialog);
        text->setObjectName(QStringLiteral("text"));
        text->setTextFormat(Qt::RichText);
        text->setTextInteractionFlags(Qt::TextBrowserInteraction);
        connect(text, &QLabel::linkActivated, this, [](const QString &link) { Desktop::instance().openUrl(QUrl(link)); });
        layout->addWidget(text);
        auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, dialog);
        buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("Закрыть"));
        connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
        layout->addWidget(buttons);
        kept = dialog;
    }
    kept->show();
    kept->raise();
    kept->activateWindow();
    return kept;
}

QDialog *ConfiguratorWindow::showAbout()
{
    return textWindow(m_about, QStringLiteral("О программе"), aboutText());
}

QDialog *ConfiguratorWindow::showShortcuts()
{
    QString rows;
    auto row = [&rows](const QString &keys, const QString &what) {
        rows += QStringLiteral("<tr><td><b>%1</b></td><td>&nbsp;&nbsp;%2</td></tr>").arg(keys.toHtmlEscaped(), what.toHtmlEscaped());
    };
    for (QMenu *menu : {m_file, m_controller, m_help}) {
        for (const QAction *action : menu->actions()) {
            if (!action->shortcut().isEmpty())
                row(action->shortcut().toString(QKeySequence::NativeText), action->iconText());
        }
    }
    for (const auto &other : kOtherKeys)
        row(QString::fromUtf8(other.keys), QString::fromUtf8(other.what));
    return textWindow(m_shortcuts, QStringLiteral("Горячие клавиши"), QStringLiteral("<table>%1</table>").arg(rows));
}
