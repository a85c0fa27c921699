#include "app/journalwindow.h"

#include "link/exchangejournal.h"
#include "ui/desktop.h"

#include <QAction>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QSaveFile>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr char32_t kCrPicture = 0x240d; // ␍

// Whether some installed font draws the control pictures; the view falls back to it on
// its own when its fixed font does not.
bool someFontHasControlPictures(const QFont &font)
{
    if (QFontMetrics(font).inFontUcs4(kCrPicture))
        return true;
    const QStringList families = QFontDatabase::families();
    return std::any_of(families.begin(), families.end(),
                       [](const QString &family) { return QFontMetrics(QFont(family)).inFontUcs4(kCrPicture); });
}

} // namespace

JournalWindow::JournalWindow(ExchangeJournal &journal, QWidget *owner)
    : QWidget(owner, Qt::Window), m_journal(journal)
{
    setObjectName(QStringLiteral("JournalWindow"));
    setWindowTitle(QStringLiteral("Журнал обмена"));
    setAttribute(Qt::WA_DeleteOnClose);

    m_view = new QPlainTextEdit(this);
    m_view->setReadOnly(true);
    // A settings record is one word of several hundred characters: it wraps anywhere,
    // so a long reply reads without scrolling sideways.
    m_view->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_view->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    m_view->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_spellControls = !someFontHasControlPictures(m_view->font());
    // The view keeps no more than the journal does.
    m_view->setMaximumBlockCount(journal.capacity());
    for (const ExchangeJournal::Entry &entry : journal.entries())
        m_view->appendPlainText(shown(ExchangeJournal::line(entry)));

    m_save = new QPushButton(QStringLiteral("Сохранить журнал…"), this);
    m_clear = new QPushButton(QStringLiteral("Очистить"), this);
    auto *close = new QPushButton(QStringLiteral("Закрыть"), this);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_save);
    buttons->addWidget(m_clear);
    buttons->addStretch();
    buttons->addWidget(close);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_view);
    layout->addLayout(buttons);

    connect(m_save, &QPushButton::clicked, this, &JournalWindow::chooseAndSave);
    connect(m_clear, &QPushButton::clicked, &journal, &ExchangeJournal::clear);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    // A view scrolled to its end follows new lines; one scrolled back stays put.
    connect(&journal, &ExchangeJournal::recorded, m_view,
            [this](const ExchangeJournal::Entry &entry) {
        m_view->appendPlainText(shown(ExchangeJournal::line(entry)));
    });
    connect(&journal, &ExchangeJournal::cleared, m_view, &QPlainTextEdit::clear);
    resize(760, 420);
}

QString JournalWindow::shown(const QString &line) const
{
    if (!m_spellControls)
        return line;
    static const char *const kNames[] = {"NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL", "BS", "HT", "LF",
                                         "VT", "FF", "CR", "SO", "SI", "DLE", "DC1", "DC2", "DC3", "DC4", "NAK",
                                         "SYN", "ETB", "CAN", "EM", "SUB", "ESC", "FS", "GS", "RS", "US", "DEL"};
    QString out;
    out.reserve(line.size());
    for (QChar ch : line) {
        const int picture = ch.unicode() - 0x2400;
        if ((picture >= 0 && picture < 0x20) || picture == 0x21)
            out += QLatin1Char('<') + QLatin1String(kNames[picture == 0x21 ? 32 : picture]) + QLatin1Char('>');
        else
            out += ch;
    }
    return out;
}

void JournalWindow::chooseAndSave()
{
    const QString folder = m_lastFolder.isEmpty() ? QDir::homePath() : m_lastFolder;
    const QString name = QStringLiteral("tavrix-journal-%1.txt")
                             .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")));
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Сохранить журнал"),
                                                      QDir(folder).filePath(name),
                                                      QStringLiteral("Текст (*.txt);;Все файлы (*)"));
    if (!path.isEmpty())
        saveTo(path);
}

bool JournalWindow::saveTo(const QString &path)
{
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write((ExchangeJournal::heading() + m_journal.text()).toUtf8());
        if (file.commit()) {
            m_lastFolder = QFileInfo(path).absolutePath();
            return true;
        }
    }
    Desktop::instance().showError(QStringLiteral("Журнал не сохранён: %1: %2").arg(path, file.errorString()));
    return false;
}

QAction *JournalWindow::openAction(ExchangeJournal &journal, QWidget *owner)
{
    auto *action = new QAction(QStringLiteral("Журнал обмена…"), owner);
    action->setObjectName(QStringLiteral("openJournal"));
    action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_J));
    action->setShortcutContext(Qt::WindowShortcut);
    owner->addAction(action);
    auto window = std::make_shared<QPointer<JournalWindow>>();
    QObject::connect(action, &QAction::triggered, owner, [&journal, owner, window] {
        if (!*window)
            *window = new JournalWindow(journal, owner);
        (*window)->show();
        (*window)->raise();
        (*window)->activateWindow();
    });
    return action;
}
