// The configuration sheet as tavrix-cli writes it, read back the way a person's tools
// read it: the PDF's text, information and fonts through poppler, the HTML as text.
#include "config/catalog.h"
#include "config/configform.h"
#include "config/writeplan.h"
#include "records/controls.h"
#include "records/records.h"
#include "records/settingsfields.h"
#include "sim/simulator.h"

#include <QCryptographicHash>
#include <algorithm>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTextDocumentFragment>
#include <QtTest>

using namespace config;

class TestReport : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void sheets_data();
    void sheets();
    void drawingIsAProgramOfItsOwn();

private:
    struct Run
    {
        int status = -1;
        QByteArray out;
        QByteArray err;
    };
    Run run(const QString &program, const QStringList &args, bool events = false, const QStringList &unset = {});

    std::unique_ptr<QTemporaryDir> m_home;
};

namespace {

const QString kPhone = QStringLiteral("+38050123456789");  // 15 characters, a full slot
const QString kWord = QStringLiteral("Тревога!Окно");      // 12 characters, Cyrillic
const QString kKey = QStringLiteral("0123456789ABCDEF");
const QString kPassword = QStringLiteral("5291");
const QStringList kHandover{QStringLiteral("Склад №5, ул. Лесная 3"), QStringLiteral("ООО «Ромашка»"),
                            QStringLiteral("Петренко П. П.")};

// Subscriber k's number and key k's code in the configuration with every secret filled.
QString phoneOf(int k)
{
    return k == 1 ? kPhone : QStringLiteral("+3806700000%1").arg(k * 11);
}
QString keyOf(int k)
{
    return k == 1 ? kKey : QStringLiteral("0123456789ABC%1EF").arg(k);
}
QString hiddenForm(const QString &secret)
{
    return QString(secret.size() - 3, QLatin1Char('*')) + secret.right(3);
}

// The numbers after each "Вход N" or "Выход N" that starts a line, in the sheet's order.
QList<int> numbersOf(const QString &text, const QString &word)
{
    QList<int> out;
    const QRegularExpression at(QStringLiteral("(?m)^\\s*%1 (\\d)\\b").arg(word));
    for (auto it = at.globalMatch(text); it.hasNext();)
        out << it.next().captured(1).toInt();
    return out;
}

QString sha12(const QByteArray &record)
{
    return QString::fromLatin1(QCryptographicHash::hash(record, QCryptographicHash::Sha256).toHex().left(12));
}

int offsetOf(const char *control)
{
    for (const records::Field &f : records::settingsFields()) {
        if (f.controls.contains(QLatin1String(control)))
            return f.offset;
    }
    return -1;
}

} // namespace

void TestReport::init()
{
    m_home = std::make_unique<QTemporaryDir>();
}

void TestReport::cleanup()
{
    m_home.reset();
}

TestReport::Run TestReport::run(const QString &program, const QStringList &args, bool events, const QStringList &unset)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home->path());
    env.insert(QStringLiteral("TAVRIX_DEFAULT_PORTS"), QString());
    for (const QString &name : unset)
        env.remove(name);
    process.setProcessEnvironment(env);
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(program, args);
    if (events) {
        // The simulator answers from this event loop.
        QSignalSpy finished(&process, &QProcess::finished);
        if (!finished.wait(60000))
            return {};
    } else if (!process.waitForFinished(60000)) {
        return {};
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, process.readAllStandardOutput(),
            process.readAllStandardError()};
}

void TestReport::sheets_data()
{
    QTest::addColumn<QString>("source"); // factory, odd (a file), controller
    QTest::addColumn<bool>("mask");
    QTest::addColumn<QString>("format");
    for (const char *source : {"factory", "odd", "controller"}) {
        for (const bool mask : {false, true}) {
            for (const char *format : {"pdf", "html"})
                QTest::addRow("%s, %s, %s", source, mask ? "masked" : "plain", format) << source << mask << format;
        }
    }
}

void TestReport::sheets()
{
    QFETCH(QString, source);
    QFETCH(bool, mask);
    QFETCH(QString, format);

    const Catalog &catalog = windowCatalog();
    ConfigForm form;
    QString fingerprint;
    QString arg;
    sim::Simulator device;
    if (source == QLatin1String("controller")) {
        // What no file can say: a list digit beyond its items selects nothing.
        QByteArray record = device.record();
        record.replace(90, 15, kPhone.toLatin1());
        // A character outside '0' to '9' leaves a list with nothing selected; a write
        // sends '0' for it.
        const int list = offsetOf("ComboBox18");
        QVERIFY(list > 0);
        record[list] = 'x';
        device.setRecord(record);
        QVERIFY(device.start(m_home->filePath(QStringLiteral("tavrix/ports")), 3));
        device.setPacing(false);
        // The sheet's fingerprint is of the record the configuration writes: read and
        // built again, the controller's own record.
        records::applySettings(form.controls(), "READ_SET_" + device.record() + '\r', 9);
        QByteArray written = device.record();
        written[list] = '0';
        QCOMPARE(records::buildSettings(form.controls()), written);
        fingerprint = sha12(written);
        arg = QStringLiteral("COM3");
    } else {
        if (source == QLatin1String("factory"))
            form.applyFactoryConfiguration();
        Configuration cfg = storedForm(form.controls());
        if (source == QLatin1String("odd")) {
            // Every secret filled: nine numbers, nine keys, the SMS command password.
            for (int k = 1; k <= 9; ++k) {
                cfg.set(QStringLiteral("Edit%1").arg(k), phoneOf(k));
                cfg.set(QStringLiteral("Edit%1").arg(9 + k), keyOf(k));
            }
            cfg.set(QStringLiteral("Edit31"), kPassword);
            cfg.set(QStringLiteral("Edit19"), kWord);
            // Voice messages: switched on, subscriber 1 told of arming and of power.
            cfg.set(QStringLiteral("CheckBox108"), QStringLiteral("1"));
            cfg.set(QStringLiteral("CheckBox81"), QStringLiteral("1"));
            cfg.set(QStringLiteral("CheckBox90"), QStringLiteral("1"));
            cfg.set(QStringLiteral("CheckBox57"), QStringLiteral("0")); // the server's boxes greyed out
            cfg.set(QStringLiteral("Edit35"), QStringLiteral("сервер.пример"));
        }
        catalog.apply(form.controls(), cfg);
        arg = m_home->filePath(QStringLiteral("%1.cfg").arg(source));
        QString error;
        QVERIFY2(save(arg, catalog.render(storedForm(form.controls())), &error), qPrintable(error));
        fingerprint = sha12(records::buildSettings(form.controls()));
    }

    const QString sheet = m_home->filePath(QStringLiteral("sheet.") + format);
    QStringList args{QStringLiteral("report"), arg, QStringLiteral("-o"), sheet};
    if (mask)
        args << QStringLiteral("--mask");
    if (source == QLatin1String("odd"))
        args << QStringLiteral("--site") << kHandover[0] << QStringLiteral("--customer") << kHandover[1]
             << QStringLiteral("--installer") << kHandover[2];
    const Run made = run(QStringLiteral(TAVRIX_CLI_PATH), args, true);
    QVERIFY2(made.status == 0, made.err.constData());

    QString text;
    QString laidOut; // a label and its value on one line, as the eye reads them
    QString page;
    if (format == QLatin1String("pdf")) {
        const Run pdftext = run(QStringLiteral("pdftotext"), {QStringLiteral("-enc"), QStringLiteral("UTF-8"), sheet, QStringLiteral("-")});
        QVERIFY2(pdftext.status == 0, "pdftotext (poppler-utils) is needed");
        text = QString::fromUtf8(pdftext.out);
        const Run info = run(QStringLiteral("pdfinfo"), {sheet});
        QVERIFY2(QRegularExpression(QStringLiteral("(?m)^Keywords: +%1$").arg(fingerprint)).match(QString::fromUtf8(info.out)).hasMatch(),
                 info.out.constData());
        QVERIFY2(info.out.contains("595 x 842 pts (A4)"), info.out.constData());
        // Every font the text uses travels inside the file.
        const QStringList fonts = QString::fromUtf8(run(QStringLiteral("pdffonts"), {sheet}).out).split(QLatin1Char('\n'), Qt::SkipEmptyParts).mid(2);
        QVERIFY(!fonts.isEmpty());
        static const QRegularExpression flags(QStringLiteral("\\s(yes|no)\\s+(yes|no)\\s+(yes|no)\\s+\\d+\\s+\\d+\\s*$"));
        for (const QString &font : fonts) {
            const auto m = flags.match(font);
            QVERIFY2(m.hasMatch() && m.captured(1) == QLatin1String("yes"), qPrintable(font));
        }
        // Nothing runs off the page: every word lies inside the paper's width.
        const QString boxes = QString::fromUtf8(run(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), sheet, QStringLiteral("-")}).out);
        static const QRegularExpression word(QStringLiteral("xMin=\"([\\d.]+)\" yMin=\"[\\d.]+\" xMax=\"([\\d.]+)\""));
        int words = 0;
        for (auto it = word.globalMatch(boxes); it.hasNext(); ++words) {
            const auto m = it.next();
            QVERIFY2(m.captured(1).toDouble() >= 30 && m.captured(2).toDouble() <= 595 - 30, qPrintable(m.captured(0)));
        }
        QVERIFY(words > 200);
        laidOut = QString::fromUtf8(run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), QStringLiteral("-enc"), QStringLiteral("UTF-8"), sheet, QStringLiteral("-")}).out);
        // A table broken over pages starts the next one with its header row again.
        QStringList starts{QStringLiteral("Параметр"), QStringLiteral("Абонент"), QStringLiteral("Ключ"), QStringLiteral("№"),
                           QStringLiteral("Параметры"), QStringLiteral("Слова SMS"), QStringLiteral("Голосовые сообщения")};
        for (int p = 0; p < catalog.pageCount(); ++p)
            starts << catalog.pageTitle(p);
        const QStringList pages = laidOut.split(QLatin1Char('\f'), Qt::SkipEmptyParts);
        QVERIFY(pages.size() >= 3);
        for (const QString &sheetPage : pages.mid(1)) {
            const QString first = sheetPage.trimmed().section(QLatin1Char('\n'), 0, 0).trimmed();
            if (first.isEmpty())
                continue;
            QVERIFY2(std::any_of(starts.cbegin(), starts.cend(), [&](const QString &s) { return first.startsWith(s); }),
                     qPrintable(first));
        }
    } else {
        QFile file(sheet);
        QVERIFY(file.open(QIODevice::ReadOnly));
        page = QString::fromUtf8(file.readAll());
        QVERIFY(page.contains(QStringLiteral("<meta name=\"tavrix-fingerprint\" content=\"%1\">").arg(fingerprint)));
        // One file: nothing fetched from elsewhere, nothing run.
        for (const char *outside : {"src=", "href=", "url(", "<script", "<link"})
            QVERIFY2(!page.contains(QLatin1String(outside)), outside);
        text = QTextDocumentFragment::fromHtml(page).toPlainText();
        laidOut = text;
        // Every table: as many cells in each row as captions over them, none empty; its
        // captions in a header that a printed page repeats.
        static const QRegularExpression table(QStringLiteral("<table[^>]*>(.*?)</table>"),
                                              QRegularExpression::DotMatchesEverythingOption);
        static const QRegularExpression row(QStringLiteral("<tr>(.*?)</tr>"), QRegularExpression::DotMatchesEverythingOption);
        static const QRegularExpression cell(QStringLiteral("<t([hd])[^>]*>(.*?)</t[hd]>"));
        int tables = 0;
        for (auto t = table.globalMatch(page); t.hasNext();) {
            const QString body = t.next().captured(1);
            if (!body.contains(QLatin1String("<thead>")))
                continue; // the head's fields and signatures
            ++tables;
            qsizetype columns = -1;
            for (auto r = row.globalMatch(body); r.hasNext();) {
                QStringList cells;
                for (auto c = cell.globalMatch(r.next().captured(1)); c.hasNext();)
                    cells << c.next().captured(2);
                QVERIFY2(!cells.contains(QString()), qPrintable(body));
                if (columns < 0)
                    columns = cells.size();
                QCOMPARE(cells.size(), columns);
            }
            QVERIFY(columns >= 2);
        }
        QVERIFY(tables >= 12);
        // The voice messages: a subscriber a row, an event a column.
        const qsizetype voiceAt = page.indexOf(QStringLiteral("Голосовые сообщения абонентам"));
        QVERIFY(voiceAt > 0);
        const QString voice = table.match(page, voiceAt).captured(1);
        QCOMPARE(voice.count(QLatin1String("<th ")), 4);
        QCOMPARE(voice.count(QLatin1String("<tr>")), 10);
        for (const char16_t *column : {u"Абонент", u"Постановка/Снятие", u"Питание + АКБ", u"Глушение GSM"})
            QVERIFY(voice.contains(QString::fromUtf16(column)));
        if (source == QLatin1String("odd")) {
            QStringList first;
            const QString firstRow = row.match(voice, voice.indexOf(QLatin1String("<tbody>"))).captured(1);
            for (auto c = cell.globalMatch(firstRow); c.hasNext();)
                first << c.next().captured(2);
            QCOMPARE(first, (QStringList{"1", "да", "да", "нет"}));
        }
    }

    // The head: who and where, then the source, in this order; what no one said is a
    // line to write on.
    const QStringList labels{"Объект:", "Заказчик:", "Установщик:", "Дата передачи:", "Источник:",
                             "Подпись установщика:", "Подпись заказчика:"};
    qsizetype at = -1;
    for (const QString &label : labels) {
        const qsizetype next = laidOut.indexOf(label);
        QVERIFY2(next > at, qPrintable(label));
        at = next;
    }
    QVERIFY(at < laidOut.indexOf(catalog.pageTitle(0)));
    static const QRegularExpression blank(QStringLiteral("_{20,}"));
    const bool told = source == QLatin1String("odd");
    int blanks = 0;
    for (auto it = blank.globalMatch(laidOut); it.hasNext(); it.next())
        ++blanks;
    QCOMPARE(blanks, told ? 3 : 6);
    for (int i = 0; i < 3; ++i) {
        const QString value = told ? QRegularExpression::escape(kHandover[i]) : blank.pattern();
        QVERIFY2(QRegularExpression(QStringLiteral("%1\\s+%2").arg(labels[i], value)).match(laidOut).hasMatch(), qPrintable(labels[i]));
    }
    // Where the settings came from: the COM number and when, or the file's name alone.
    const QString from = source == QLatin1String("controller")
                             ? QStringLiteral("Прочитано с контроллера \\(COM3\\), \\d\\d\\.\\d\\d\\.\\d{4} \\d\\d:\\d\\d\\s")
                             : QStringLiteral("Из файла %1\\.cfg\\s").arg(source);
    QVERIFY2(QRegularExpression(QStringLiteral("Источник:\\s+") + from).match(laidOut).hasMatch(), qPrintable(laidOut.left(800)));
    QVERIFY(!text.contains(QLatin1String("/dev/")) && !text.contains(m_home->path()));

    // Inputs and outputs in their numbers' order.
    for (const char *word : {"Вход", "Выход"}) {
        const QList<int> numbers = numbersOf(laidOut, QString::fromUtf8(word));
        QVERIFY2(numbers.size() >= 10 && std::is_sorted(numbers.cbegin(), numbers.cend()), word);
    }
    // Captions without the form's marks, whole and spelled right on the sheet.
    for (const char16_t *whole : {u"Проверка счета: Код запроса", u"Миллисекунды", u"Время передачи, секунды",
                                  u"Доменное имя", u"Нижний порог от", u"Подтверждение снятия сиреной",
                                  u"Включать прослушивание после оповещения", u"Подтверждение выполнения SMS-команд"})
        QVERIFY2(text.contains(QString::fromUtf16(whole)), qPrintable(QString::fromUtf16(whole)));
    for (const char16_t *cut : {u"Код запроса, *", u"Милисикунды", u"секунды :", u"Доменое", u"пород", u"Подверждение",
                                u"сообщениий", u"Глушение GSM, Абонент"})
        QVERIFY2(!text.contains(QString::fromUtf16(cut)), qPrintable(QString::fromUtf16(cut)));

    QVERIFY2(text.contains(QStringLiteral("Конфигурация контроллера Tavrix")), qPrintable(text));
    QVERIFY(text.contains(fingerprint));
    for (int page = 0; page < catalog.pageCount(); ++page)
        QVERIFY2(text.contains(catalog.pageTitle(page)), qPrintable(catalog.pageTitle(page)));
    // Pages in the window's order.
    QVERIFY(text.indexOf(catalog.pageTitle(0)) < text.indexOf(catalog.pageTitle(9)));
    QVERIFY(text.contains(QStringLiteral("Температура")) && text.contains(QStringLiteral("Абонент")));

    const QString phone = form.controls().text(QStringLiteral("Edit1"));
    QVERIFY(phone.size() > 3);
    const QString hidden = QString(phone.size() - 3, QLatin1Char('*')) + phone.right(3);
    QCOMPARE(text.contains(phone), !mask);
    QCOMPARE(text.contains(hidden), mask);
    if (source != QLatin1String("controller"))
        QCOMPARE(text.contains(QStringLiteral("сервер.пример")), source == QLatin1String("odd"));
    if (source == QLatin1String("odd")) {
        QVERIFY(text.contains(kWord));
        QVERIFY(text.contains(QStringLiteral("не используется")));
        // Masked, no secret shows: numbers and keys by their last three characters, the
        // password not at all.
        for (int k = 1; k <= 9; ++k) {
            for (const QString &secret : {phoneOf(k), keyOf(k)}) {
                QVERIFY2(text.contains(secret) == !mask, qPrintable(secret));
                QVERIFY2(text.contains(hiddenForm(secret)) == mask, qPrintable(secret));
            }
        }
        QCOMPARE(text.contains(kPassword), !mask);
        const QRegularExpression password(QStringLiteral("Пароль для SMS команд\\s+%1\\s").arg(mask ? QStringLiteral("скрыт") : kPassword));
        QVERIFY2(password.match(laidOut).hasMatch(), qPrintable(laidOut));
    } else {
        // The start and factory configurations hold no key.
        QVERIFY(text.contains(QStringLiteral("стёрт")));
        QCOMPARE(text.contains(QStringLiteral("7913")), !mask);
    }
    if (source == QLatin1String("controller"))
        QVERIFY(text.contains(QStringLiteral("не выбрано")));
}

// tavrix-cli is a console program: neither Qt Gui nor Widgets, and a PDF sheet is drawn
// by tavrix-sheet-pdf, found beside it, which needs no screen. Without that program an
// HTML sheet is still written, and a PDF is refused with the program's name and no file.
void TestReport::drawingIsAProgramOfItsOwn()
{
    const QString cli = QStringLiteral(TAVRIX_CLI_PATH);
    const Run libraries = run(QStringLiteral("ldd"), {cli});
    QVERIFY2(libraries.status == 0 && libraries.out.contains("libQt6Core"), libraries.out.constData());
    QVERIFY2(!libraries.out.contains("libQt6Gui") && !libraries.out.contains("libQt6Widgets"), libraries.out.constData());

    const QString cfg = m_home->filePath(QStringLiteral("factory.cfg"));
    QCOMPARE(run(cli, {QStringLiteral("defaults"), QStringLiteral("-o"), cfg}).status, 0);
    const QString drawn = m_home->filePath(QStringLiteral("drawn.pdf"));
    const Run headless = run(cli, {QStringLiteral("report"), cfg, QStringLiteral("-o"), drawn}, false,
                             {QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("DISPLAY"), QStringLiteral("WAYLAND_DISPLAY")});
    QVERIFY2(headless.status == 0, headless.err.constData());
    QFile pdf(drawn);
    QVERIFY(pdf.open(QIODevice::ReadOnly) && pdf.read(5) == "%PDF-");

    QDir alone(m_home->filePath(QStringLiteral("alone")));
    QVERIFY(alone.mkpath(QStringLiteral(".")));
    const QString lonely = alone.filePath(QStringLiteral("tavrix-cli"));
    QVERIFY(QFile::copy(cli, lonely));
    const QString page = m_home->filePath(QStringLiteral("sheet.html"));
    const Run html = run(lonely, {QStringLiteral("report"), cfg, QStringLiteral("-o"), page});
    QVERIFY2(html.status == 0 && QFileInfo::exists(page), html.err.constData());
    const QString refused = m_home->filePath(QStringLiteral("refused.pdf"));
    const Run missing = run(lonely, {QStringLiteral("report"), cfg, QStringLiteral("-o"), refused});
    QCOMPARE(missing.status, 2);
    QVERIFY2(missing.err.contains(alone.filePath(QStringLiteral("tavrix-sheet-pdf")).toUtf8()), missing.err.constData());
    QVERIFY(!QFileInfo::exists(refused));
    // A drawer that fails: its reason is passed on, still no file.
    QFile failing(alone.filePath(QStringLiteral("tavrix-sheet-pdf")));
    QVERIFY(failing.open(QIODevice::WriteOnly));
    failing.write("#!/bin/sh\necho 'no font at all' >&2\nexit 1\n");
    failing.close();
    QVERIFY(failing.setPermissions(failing.permissions() | QFileDevice::ExeOwner));
    const Run failed = run(lonely, {QStringLiteral("report"), cfg, QStringLiteral("-o"), refused});
    QCOMPARE(failed.status, 2);
    QVERIFY2(failed.err.contains("could not draw the sheet: no font at all"), failed.err.constData());
    QVERIFY(!QFileInfo::exists(refused));

    // What the tool hands over is checked: anything else is refused with a reason.
    const Run junk = run(QStringLiteral(TAVRIX_SHEET_PDF_PATH), {});
    QCOMPARE(junk.status, 1);
    QVERIFY2(junk.err.contains("no sheet"), junk.err.constData());
}

QTEST_MAIN(TestReport)
#include "tst_report.moc"
