#include "app/productionwindow.h"

#include "app/bookrecorder.h"
#include "app/networkaddressdialog.h"
#include "app/networkaddresses.h"
#include "net/networkline.h"
#include "net/networkports.h"
#include "net/portnames.h"

#include "ui/desktop.h"
#include "ui/screenroom.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QSettings>
#include <QShowEvent>
#include <QStyle>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QWindow>

namespace {

const char kTitle[] = "Серийная запись";
constexpr int kPortColumns = 10;
constexpr int kAddressColumns = 3;
constexpr int kTileColumns = 4;
// The size the window asks for when the screen has room for it.
constexpr QSize kRoomy(760, 560);
const char kPortsKey[] = "productionLine/ports";

// The program's settings: tavrix/configurator.ini in the user's configuration folder
// ($XDG_CONFIG_HOME, %APPDATA%), beside the ports folder.
std::unique_ptr<QSettings> programSettings()
{
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("tavrix"),
                                       QStringLiteral("configurator"));
}

QString phaseText(line::Phase phase)
{
    static const char *const texts[] = {"", "резервная копия", "запись", "проверка"};
    return QString::fromUtf8(texts[int(phase)]);
}

QString unitName(int ordinal, const line::UnitRow &row)
{
    return row.label.isEmpty() ? QStringLiteral("контроллер %1").arg(ordinal)
                               : QStringLiteral("контроллер %1 (%2)").arg(ordinal).arg(row.label);
}

} // namespace

ProductionWindow::ProductionWindow(PortMap map, QWidget *owner, int ownerCom)
    : QWidget(owner, Qt::Window), m_map(std::move(map)), m_ownerCom(ownerCom), m_backupsDir(line::defaultBackupsDir())
{
    setWindowTitle(QString::fromUtf8(kTitle));
    setAttribute(Qt::WA_DeleteOnClose, false);

    m_template = new QLineEdit;
    m_units = new QLineEdit;
    m_units->setPlaceholderText(QStringLiteral("необязательно: по строке на контроллер"));
    m_chooseTemplate = new QPushButton(QStringLiteral("Выбрать…"));
    m_chooseUnits = new QPushButton(QStringLiteral("Выбрать…"));
    auto *templateRow = new QHBoxLayout;
    templateRow->addWidget(m_template);
    templateRow->addWidget(m_chooseTemplate);
    auto *unitsRow = new QHBoxLayout;
    unitsRow->addWidget(m_units);
    unitsRow->addWidget(m_chooseUnits);
    auto *files = new QFormLayout;
    files->addRow(QStringLiteral("Шаблон конфигурации:"), templateRow);
    files->addRow(QStringLiteral("Значения для контроллеров (CSV):"), unitsRow);

    auto *portsGroup = new QGroupBox(QStringLiteral("Порты"));
    m_portsBox = portsGroup;
    auto *portsLayout = new QVBoxLayout(portsGroup);
    m_portsGrid = new QGridLayout;
    portsLayout->addLayout(m_portsGrid);
    // Network ports below the COM ports: the window's remembered addresses and any added here.
    m_addressGrid = new QGridLayout;
    portsLayout->addLayout(m_addressGrid);
    m_addAddress = new QPushButton(QStringLiteral("Сетевой порт…"));
    m_addAddress->setObjectName(QStringLiteral("addNetworkPort"));
    auto *addressRow = new QHBoxLayout;
    addressRow->addWidget(m_addAddress);
    addressRow->addStretch(1);
    portsLayout->addLayout(addressRow);
    net::registerNetworkPorts(NetworkLine::kDefaultTimeoutMs);

    m_start = new QPushButton(QStringLiteral("Начать"));
    m_stop = new QPushButton(QStringLiteral("Остановить"));
    m_stop->setEnabled(false);
    m_counters = new QLabel;
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_start);
    buttons->addWidget(m_stop);
    buttons->addSpacing(20);
    buttons->addWidget(m_counters, 1);

    m_tilesBox = new QWidget;
    m_tilesGrid = new QGridLayout(m_tilesBox);
    // A row of tiles no wider than the window's width asks for: no sideways scrolling.
    m_tilesGrid->setContentsMargins(0, 0, 0, 0);

    m_table = new QTableWidget(0, 7);
    m_table->setHorizontalHeaderLabels({QStringLiteral("Время"), QStringLiteral("Порт"), QStringLiteral("Контроллер"),
                                        QStringLiteral("Результат"), QStringLiteral("Секунд"), QStringLiteral("Причина"),
                                        QStringLiteral("Резервная копия")});
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->horizontalHeader()->setStretchLastSection(true);
    // One line a unit: a cut text is whole in its tooltip (the backup's path) or the log.
    m_table->setWordWrap(false);
    const QFontMetrics metrics(m_table->font());
    const int padding = metrics.averageCharWidth() * 3;
    m_table->setColumnWidth(0, metrics.horizontalAdvance(QStringLiteral("00:00:00")) + padding);
    m_table->setColumnWidth(1, metrics.horizontalAdvance(QStringLiteral("COM50")) + padding);
    m_table->setColumnWidth(3, metrics.horizontalAdvance(QStringLiteral("✓ записан и проверен")) + padding);
    m_table->setColumnWidth(4, metrics.horizontalAdvance(QStringLiteral("Секунд")) + padding);
    m_table->verticalHeader()->hide();

    // Everything but the bottom row scrolls when the screen is too small for it; the log's
    // place and "Закрыть" stay in sight.
    m_content = new QWidget;
    auto *layout = new QVBoxLayout(m_content);
    layout->addLayout(files);
    layout->addWidget(portsGroup);
    layout->addLayout(buttons);
    layout->addWidget(m_tilesBox);
    layout->addWidget(m_table, 1);
    m_scroll = new QScrollArea;
    m_scroll->setObjectName(QStringLiteral("lineScroller"));
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setWidgetResizable(true);
    m_scroll->setFocusPolicy(Qt::NoFocus);
    m_scroll->setWidget(m_content);

    m_logPlace = new QLabel;
    m_logPlace->setObjectName(QStringLiteral("logPlace"));
    m_logPlace->setWordWrap(true);
    m_logPlace->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_close = new QPushButton(QStringLiteral("Закрыть"));
    connect(m_close, &QPushButton::clicked, this, &QWidget::close);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(m_logPlace, 1);
    bottom->addWidget(m_close, 0, Qt::AlignBottom);
    auto *outer = new QVBoxLayout(this);
    outer->addWidget(m_scroll, 1);
    outer->addLayout(bottom);
    resize(kRoomy);

    connect(m_chooseTemplate, &QPushButton::clicked, this, [this] {
        const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Шаблон конфигурации"),
                                                          QDir::homePath(),
                                                          QStringLiteral("Конфигурации Tavrix (*.cfg);;Все файлы (*)"));
        if (!path.isEmpty())
            m_template->setText(path);
    });
    connect(m_chooseUnits, &QPushButton::clicked, this, [this] {
        const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Значения блоков"), QDir::homePath(),
                                                          QStringLiteral("Таблицы CSV (*.csv);;Все файлы (*)"));
        if (!path.isEmpty())
            m_units->setText(path);
    });
    connect(m_addAddress, &QPushButton::clicked, this, &ProductionWindow::askAddress);
    connect(m_start, &QPushButton::clicked, this, &ProductionWindow::startLine);
    connect(m_stop, &QPushButton::clicked, this, &ProductionWindow::stopLine);
    // Adapters come and go: the boxes follow, without opening any port.
    m_portsTimer.setInterval(line::PortWatcher::kRescanMs * 2);
    connect(&m_portsTimer, &QTimer::timeout, this, &ProductionWindow::refreshPorts);
    m_portsTimer.start();
    refreshPorts();
    // The last set offered again; never the port the owner is connected to.
    for (int com : rememberedPorts()) {
        if (QCheckBox *box = m_portBoxes.value(com); box && com != m_ownerCom)
            box->setChecked(true);
    }
    updateCounters();
    showLogPlace();
}

QList<int> ProductionWindow::rememberedPorts()
{
    QList<int> coms;
    for (const QString &com : programSettings()->value(QLatin1String(kPortsKey)).toStringList()) {
        bool ok = false;
        const int n = com.toInt(&ok);
        if (ok && n >= PortMap::kFirstCom && n <= PortMap::kLastCom)
            coms << n;
        else if (const int address = ok ? 0 : portnames::number(com); portnames::isAddress(address))
            coms << address;
    }
    return coms;
}

NetworkAddressDialog *ProductionWindow::askAddress()
{
    if (running())
        return nullptr;
    auto *dialog = new NetworkAddressDialog(this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setAcceptText(QStringLiteral("Добавить"));
    // The station connects when the line starts; here the address is only taken down,
    // remembered for the window's port list too, and ticked.
    dialog->tryAddress = [this](const QString &address) {
        networkaddresses::remember(address);
        refreshPorts();
        if (QCheckBox *box = m_portBoxes.value(portnames::number(address)))
            box->setChecked(true);
        return true;
    };
    dialog->open();
    return dialog;
}

QCheckBox *ProductionWindow::portBox(const QString &address) const
{
    const auto parsed = NetworkLine::parse(address);
    return parsed ? m_portBoxes.value(portnames::number(parsed->text())) : nullptr;
}

void ProductionWindow::setBackupsDir(const QString &dir)
{
    m_backupsDir = dir;
    showLogPlace();
}

void ProductionWindow::showLogPlace()
{
    const QString folder = QDir::toNativeSeparators(m_backupsDir);
    const QString log = m_logPath.isEmpty()
        ? QStringLiteral("в папке %1, отдельный файл на каждый запуск").arg(folder)
        : QDir::toNativeSeparators(m_logPath);
    m_logPlace->setText(QStringLiteral("Журнал: %1\nРезервные копии: %2").arg(log, folder));
}

void ProductionWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (QWindow *window = windowHandle(); window && !m_screen) {
        connect(window, &QWindow::screenChanged, this, &ProductionWindow::followScreen);
        followScreen(window->screen());
    }
}

void ProductionWindow::followScreen(QScreen *screen)
{
    if (m_screen)
        disconnect(m_screen, nullptr, this, nullptr);
    m_screen = screen;
    if (screen)
        connect(screen, &QScreen::availableGeometryChanged, this, &ProductionWindow::fitToScreen);
    fitToScreen();
}

void ProductionWindow::fitToScreen()
{
    const QRect available = screenroom::available(this);
    if (available.isEmpty())
        return;
    const QSize room = screenroom::forClientArea(this, available);
    // Once, as much as it asks for; afterwards the user's size unless it no longer fits.
    QSize wanted = size();
    if (!std::exchange(m_fitted, true)) {
        const QMargins margins = layout()->contentsMargins();
        wanted = m_content->sizeHint().grownBy(margins);
        wanted.rheight() += layout()->spacing() + m_close->sizeHint().height() * 2;
        // Room for a vertical scroll bar once the tiles come, so that no horizontal one
        // follows it.
        wanted.rwidth() += style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_scroll);
        wanted = wanted.expandedTo(kRoomy);
    }
    resize(wanted.boundedTo(room));
    screenroom::keepOn(this, available);
}

ProductionWindow::~ProductionWindow()
{
    // Going with the main window: the units under way are logged as stopped, and nothing
    // is told to a window that is being taken apart.
    if (m_line) {
        disconnect(m_line.get(), nullptr, this, nullptr);
        m_line->abort();
    }
}

QAction *ProductionWindow::openAction(PortMap map, QWidget *owner, std::function<void(bool)> onRunning,
                                      std::function<int()> ownerCom)
{
    auto *action = new QAction(QStringLiteral("Серийная запись…"), owner);
    action->setObjectName(QStringLiteral("openProductionLine"));
    action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    action->setShortcutContext(Qt::WindowShortcut);
    owner->addAction(action);
    auto window = std::make_shared<QPointer<ProductionWindow>>();
    QObject::connect(action, &QAction::triggered, owner, [map, owner, onRunning, ownerCom, window] {
        if (!*window) {
            *window = new ProductionWindow(map, owner, ownerCom ? ownerCom() : 0);
            QObject::connect(window->data(), &ProductionWindow::runningChanged, owner, onRunning);
        }
        (*window)->show();
        (*window)->raise();
        (*window)->activateWindow();
    });
    return action;
}

void ProductionWindow::refreshPorts()
{
    // Ports that exist now, and the ones ticked that have gone for a moment (kept, so
    // that a tick survives an adapter being replugged).
    QList<int> present;
    for (int com = PortMap::kFirstCom; com <= PortMap::kLastCom; ++com) {
        if (!m_map.resolve(com).device.isEmpty() || (m_portBoxes.contains(com) && m_portBoxes[com]->isChecked()))
            present << com;
    }
    // Addresses are always there: the remembered ones in their order, then any ticked that
    // has been forgotten meanwhile.
    QList<int> addresses;
    for (const QString &address : networkaddresses::remembered())
        addresses << portnames::number(address);
    for (auto it = m_portBoxes.cbegin(); it != m_portBoxes.cend(); ++it) {
        if (portnames::isAddress(it.key()) && it.value()->isChecked() && !addresses.contains(it.key()))
            addresses << it.key();
    }
    const QList<int> comsPresent = present;
    present << addresses;
    QList<int> shown = m_portBoxes.keys();
    std::sort(shown.begin(), shown.end());
    QList<int> wanted = present;
    std::sort(wanted.begin(), wanted.end());
    if (shown == wanted && addresses == m_addressOrder)
        return;
    m_addressOrder = addresses;
    for (int com : shown) {
        if (!present.contains(com))
            delete m_portBoxes.take(com);
    }
    int index = 0;
    for (int com : std::as_const(present)) {
        QCheckBox *box = m_portBoxes.value(com);
        if (!box) {
            // Nothing is ticked for the user: a click on "Начать" writes every ticked port.
            box = new QCheckBox(portnames::name(com));
            box->setEnabled(!running());
            m_portBoxes.insert(com, box);
        }
        if (portnames::isAddress(com)) {
            const int at = index - int(comsPresent.size());
            m_addressGrid->addWidget(box, at / kAddressColumns, at % kAddressColumns);
        } else {
            m_portsGrid->addWidget(box, index / kPortColumns, index % kPortColumns);
        }
        ++index;
    }
    if (present.isEmpty() && !m_portsBox->findChild<QLabel *>()) {
        m_portsGrid->addWidget(new QLabel(QStringLiteral("Нет ни одного порта: подключите адаптер")), 0, 0);
    } else if (!present.isEmpty()) {
        delete m_portsBox->findChild<QLabel *>();
    }
}

void ProductionWindow::setEditable(bool on)
{
    for (QWidget *w : {static_cast<QWidget *>(m_template), static_cast<QWidget *>(m_units),
                       static_cast<QWidget *>(m_chooseTemplate), static_cast<QWidget *>(m_chooseUnits)})
        w->setEnabled(on);
    for (QCheckBox *box : std::as_const(m_portBoxes))
        box->setEnabled(on);
    m_addAddress->setEnabled(on);
    m_start->setEnabled(on);
    m_stop->setEnabled(!on);
}

bool ProductionWindow::startLine()
{
    if (running())
        return false;
    auto recipe = std::make_unique<line::Recipe>();
    if (m_template->text().trimmed().isEmpty()) {
        Desktop::instance().showError(QStringLiteral("Выберите шаблон конфигурации."));
        return false;
    }
    if (const auto error = recipe->load(m_template->text().trimmed(), m_units->text().trimmed())) {
        Desktop::instance().showError(QStringLiteral("Серийная запись не начата: %1").arg(error->message()));
        return false;
    }
    QList<int> coms;
    for (auto it = m_portBoxes.cbegin(); it != m_portBoxes.cend(); ++it) {
        if (it.value()->isChecked())
            coms << it.key();
    }
    std::sort(coms.begin(), coms.end());
    if (coms.isEmpty()) {
        Desktop::instance().showError(QStringLiteral("Отметьте хотя бы один порт."));
        return false;
    }
    QStringList remembered;
    for (int com : std::as_const(coms))
        remembered << (portnames::isAddress(com) ? portnames::name(com) : QString::number(com));
    programSettings()->setValue(QLatin1String(kPortsKey), remembered);

    line::ProductionLine::Options options;
    options.coms = coms;
    options.backupsDir = m_backupsDir;
    // The log goes beside the backups, one file per run.
    m_logPath = QDir(m_backupsDir).filePath(
        QStringLiteral("line-%1.jsonl").arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"))));
    options.logPath = m_logPath;
    // The window's own book, as its reads and writes use.
    options.book = BookRecorder::location();
    options.operatorName = BookRecorder::operatorSetting();
    options.timing.settleMs = m_settleMs;
    options.lookFirst = true;
    QDir().mkpath(m_backupsDir);
    auto productionLine = std::make_unique<line::ProductionLine>(m_map, *recipe, options);
    QString why;
    if (!productionLine->prepare(&why)) {
        Desktop::instance().showError(QStringLiteral("Серийная запись не начата: %1").arg(why));
        return false;
    }
    m_line.reset();
    m_recipe = std::move(recipe);
    m_line = std::move(productionLine);

    // One tile per watched port.
    qDeleteAll(m_tiles);
    m_tiles.clear();
    int index = 0;
    for (int com : std::as_const(coms)) {
        auto *tile = new QLabel;
        tile->setAlignment(Qt::AlignCenter);
        tile->setWordWrap(true);
        tile->setMinimumSize(160, 90);
        tile->setFrameShape(QFrame::Box);
        QFont font = tile->font();
        if (font.pointSizeF() > 0)
            font.setPointSizeF(font.pointSizeF() * 1.3);
        else
            font.setPixelSize(font.pixelSize() * 13 / 10);
        font.setBold(true);
        tile->setFont(font);
        tile->setAutoFillBackground(true);
        m_tiles.insert(com, tile);
        m_tilesGrid->addWidget(tile, index / kTileColumns, index % kTileColumns);
        ++index;
    }
    m_table->setRowCount(0);

    connect(m_line.get(), &line::ProductionLine::stationUpdated, this, &ProductionWindow::updateTile);
    connect(m_line.get(), &line::ProductionLine::unitDone, this, [this](const line::UnitResult &r) {
        addLogRow(r);
        updateCounters();
    });
    connect(m_line.get(), &line::ProductionLine::finished, this, &ProductionWindow::lineFinished);
    connect(m_line.get(), &line::ProductionLine::looked, this, &ProductionWindow::confirmStart);
    // The owner lets go of its port before any station opens one.
    emit runningChanged(true);
    setEditable(false);
    m_line->start();
    for (int com : std::as_const(coms))
        updateTile(com);
    updateCounters();
    showLogPlace();
    return true;
}

void ProductionWindow::confirmStart(const QList<int> &answering)
{
    if (!running())
        return;
    if (!answering.isEmpty()) {
        QStringList ports;
        for (int com : answering)
            ports << portnames::name(com);
        const QString question = answering.size() == 1
            ? QStringLiteral("На порту %1 уже отвечает контроллер. Записать шаблон поверх его настроек?")
            : QStringLiteral("На портах %1 уже отвечают контроллеры. Записать шаблон поверх их настроек?");
        const line::ProductionLine *asked = m_line.get();
        const bool write = Desktop::instance().confirm(this, question.arg(ports.join(QStringLiteral(", "))),
                                                       QStringLiteral("Да"), QStringLiteral("Нет"));
        // The line may have been stopped while the question was open.
        if (m_line.get() != asked || !running())
            return;
        if (!write) {
            // Nothing has been taken yet: the line ends without a unit written.
            m_line->abort();
            return;
        }
    }
    m_line->release();
    updateCounters();
    for (auto it = m_tiles.cbegin(); it != m_tiles.cend(); ++it)
        updateTile(it.key());
}

void ProductionWindow::stopLine()
{
    if (running()) {
        m_stop->setEnabled(false);
        m_line->stop();
    }
}

void ProductionWindow::lineFinished()
{
    for (auto it = m_tiles.cbegin(); it != m_tiles.cend(); ++it)
        updateTile(it.key());
    updateCounters();
    setEditable(true);
    emit runningChanged(false);
}

void ProductionWindow::updateTile(int com)
{
    QLabel *tile = m_tiles.value(com);
    const line::Station *station = m_line ? m_line->station(com) : nullptr;
    if (!tile || !station)
        return;
    QString text;
    QColor colour;
    const auto &last = station->last();
    if (station->busy()) {
        text = QStringLiteral("%1…\n%2").arg(phaseText(station->phase()), unitName(station->ordinal(), station->row()));
        colour = QColor(255, 236, 160);
    } else if (last && last->pass) {
        text = QStringLiteral("✓ записан\n%1").arg(unitName(last->ordinal, last->row));
        colour = QColor(150, 220, 150);
    } else if (last) {
        text = QStringLiteral("✗ ошибка: %1\n%2").arg(phaseText(last->phase), last->reasonIn(language::Language::Russian));
        colour = QColor(240, 150, 150);
    } else if (!m_line->running()) {
        text = QStringLiteral("остановлено");
    } else if (!station->refusal().isEmpty()) {
        text = QStringLiteral("порт занят: %1").arg(station->refusal());
    } else if (station->state() == line::Station::State::Absent) {
        text = QStringLiteral("нет порта");
    } else if (m_line->held() && station->unitHeard()) {
        text = QStringLiteral("уже отвечает контроллер");
    } else if (m_line->held()) {
        text = QStringLiteral("проверка порта");
    } else {
        text = QStringLiteral("ожидание контроллера");
    }
    tile->setText(QStringLiteral("%1\n%2").arg(portnames::name(com), text));
    QPalette palette = tile->palette();
    palette.setColor(QPalette::Window, colour.isValid() ? colour : palette.color(QPalette::Base));
    tile->setPalette(palette);
}

void ProductionWindow::updateCounters()
{
    if (!m_line) {
        m_counters->setText(QStringLiteral("Записано: 0   Ошибок: 0"));
        return;
    }
    const line::ProductionLine::Summary s = m_line->summary();
    QString text = QStringLiteral("Записано: %1   Ошибок: %2").arg(s.passed).arg(s.failed);
    if (s.rowsLeft >= 0)
        text += QStringLiteral("   Осталось строк: %1").arg(s.rowsLeft);
    if (m_line->running() && m_line->held())
        text += QStringLiteral("   Проверка портов…");
    m_counters->setText(text);
}

void ProductionWindow::addLogRow(const line::UnitResult &r)
{
    const int row = m_table->rowCount();
    m_table->insertRow(row);
    const QString reason = r.reasonIn(language::Language::Russian);
    const QStringList cells {
        r.time.toString(QStringLiteral("HH:mm:ss")),
        portnames::name(r.com),
        unitName(r.ordinal, r.row),
        r.pass ? QStringLiteral("✓ записан и проверен") : QStringLiteral("✗ ошибка: %1").arg(phaseText(r.phase)),
        QString::number(r.seconds, 'f', 1),
        reason,
        // The name says which; the whole path is in the tooltip.
        QFileInfo(r.backup).fileName(),
    };
    for (int c = 0; c < cells.size(); ++c) {
        auto *item = new QTableWidgetItem(cells.at(c));
        if (c == 3)
            item->setForeground(r.pass ? QColor(0, 128, 0) : QColor(192, 0, 0));
        if (c == 5 && !reason.isEmpty())
            item->setToolTip(reason);
        if (c == 6 && !r.backup.isEmpty())
            item->setToolTip(QDir::toNativeSeparators(r.backup));
        m_table->setItem(row, c, item);
    }
    m_table->scrollToBottom();
}

void ProductionWindow::closeEvent(QCloseEvent *event)
{
    if (!running()) {
        event->accept();
        return;
    }
    const bool busy = std::any_of(m_line->stations().begin(), m_line->stations().end(),
                                  [](const auto &s) { return s->busy(); });
    if (busy) {
        const bool stop = Desktop::instance().confirm(
            this,
            QStringLiteral("Идёт запись в контроллеры. Прервать её и закрыть окно?\n"
                           "Прерванные записи попадут в журнал как ошибки."),
            QStringLiteral("Прервать и закрыть"), QStringLiteral("Продолжить запись"));
        if (!stop) {
            event->ignore();
            return;
        }
    }
    m_line->abort();
    event->accept();
}
