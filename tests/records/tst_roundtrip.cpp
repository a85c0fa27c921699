// Many generated configurations: what the writers build, the readers bring back, apart
// from the losses the record has by design.
#include "controlscript.h"

#include "records/records.h"
#include "records/startvalues.h"

#include <QRandomGenerator>
#include <QtTest>

class TestRoundTrip : public QObject
{
    Q_OBJECT

private slots:
    void settingsRecord();
    void listForms();
};

namespace {

constexpr int kConfigurations = 400;

QStringList boxes(int first, int last)
{
    QStringList out;
    for (int i = first; i <= last; ++i)
        out << QStringLiteral("CheckBox%1").arg(i);
    return out;
}

// Count columns, box 1 first, as the interlocks keep them: a run from box 1.
const QList<QStringList> &countColumns()
{
    static const QList<QStringList> columns = {
        boxes(1, 9), boxes(10, 18), boxes(19, 27), boxes(28, 36), boxes(58, 66),
        boxes(81, 89), boxes(90, 98), boxes(99, 107), boxes(71, 75),
        {"CheckBox53", "CheckBox52", "CheckBox51", "CheckBox50", "CheckBox49"},
    };
    return columns;
}

const QStringList kSingles = {"CheckBox76", "CheckBox77", "CheckBox46", "CheckBox47", "CheckBox68",
                              "CheckBox55", "CheckBox70", "CheckBox110", "CheckBox80", "CheckBox57",
                              "CheckBox119"};
const QList<QPair<QString, QString>> kPairs = {{"CheckBox78", "CheckBox79"}, {"CheckBox48", "CheckBox54"},
                                               {"CheckBox67", "CheckBox69"}, {"CheckBox108", "CheckBox109"}};
const QStringList kCombos = {"ComboBox27", "ComboBox19", "ComboBox21", "ComboBox22", "ComboBox2",
                             "ComboBox30", "ComboBox24", "ComboBox26", "ComboBox18", "ComboBox20"};
// Number boxes and their widths on the wire.
const QList<QPair<QString, int>> kNumbers = {{"Edit31", 4}, {"Edit33", 2}, {"Edit32", 2},
                                             {"Edit38", 2}, {"Edit36", 3}, {"Edit37", 3}};

QString edit(int n)
{
    return QStringLiteral("Edit%1").arg(n);
}

QString randomText(QRandomGenerator &g, int maxLength, const QString &alphabet)
{
    QString out;
    const int length = g.bounded(maxLength + 1);
    for (int i = 0; i < length; ++i)
        out += alphabet[g.bounded(int(alphabet.size()))];
    return out;
}

// What the key filters let through: printable ASCII but the underscore, and Cyrillic.
QString printable(bool withSeparators)
{
    QString out;
    for (char ch = ' '; ch <= '~'; ++ch) {
        if (ch != '_' && (withSeparators || ch != ','))
            out += QLatin1Char(ch);
    }
    return out + QString::fromUtf8("АБВгдеЁёЯя");
}

struct Config
{
    QStringList lines;
    QStringList names; // every control the configuration sets
};

Config randomConfig(QRandomGenerator &g)
{
    Config c;
    auto set = [&c](const QString &name, const QString &value) {
        c.lines << name + "=" + value;
        c.names << name;
    };
    for (const QStringList &column : countColumns()) {
        const int d = g.bounded(int(column.size()) + 1);
        for (int i = 0; i < column.size(); ++i)
            set(column[i], i < d ? "1" : "0");
    }
    // The temperature column and its switch are free: the losses are checked below.
    const QStringList temperature = boxes(37, 45);
    const int t = g.bounded(10);
    for (int i = 0; i < 9; ++i)
        set(temperature[i], i < t ? "1" : "0");
    set("CheckBox56", g.bounded(2) ? "1" : "0");
    // Partial arming is on exactly when input 2 is.
    const int inputs = g.bounded(6);
    set("CheckBox113", inputs > 0 ? "1" : "0");
    for (int i = 0; i < 5; ++i)
        set(QStringLiteral("CheckBox%1").arg(114 + i), i < inputs ? "1" : "0");
    for (const QString &name : kSingles)
        set(name, g.bounded(2) ? "1" : "0");
    for (const auto &[first, second] : kPairs) {
        set(first, g.bounded(2) ? "1" : "0");
        set(second, g.bounded(2) ? "1" : "0");
    }
    for (const QStringList &group : records::radioGroups())
        set(group[g.bounded(int(group.size()))], "1");
    for (const QString &combo : kCombos)
        set(combo, QString::number(g.bounded(11) - 1));
    for (const auto &[name, width] : kNumbers)
        set(name, randomText(g, g.bounded(8) == 0 ? width + 2 : width, "0123456789A"));
    for (int k = 1; k <= 9; ++k)
        set(edit(k), randomText(g, g.bounded(6) == 0 ? 18 : 15, "+0123456789"));
    for (int k = 10; k <= 18; ++k)
        set(edit(k), g.bounded(3) ? randomText(g, 0, "") + QString(16, "0123456789ABCDEF"[g.bounded(16)])
                                  : randomText(g, 15, "0123456789ABCDEF"));
    for (int k = 19; k <= 30; ++k)
        set(edit(k), randomText(g, g.bounded(6) == 0 ? 14 : 11, printable(true)));
    set("Edit34", randomText(g, 50, printable(true)));
    set("Edit35", randomText(g, 50, printable(true)));
    set("Edit40", randomText(g, 8, "0123456789"));
    return c;
}

QString valueOf(const Controls &c, const QString &name)
{
    if (name.startsWith("CheckBox") || name.startsWith("RadioButton"))
        return c.checked(name) ? "1" : "0";
    if (name.startsWith("ComboBox"))
        return QString::number(c.index(name));
    return c.text(name);
}

// What the reader should bring back, from the controls as the writer left them.
QHash<QString, QString> expectedAfterSettings(const Controls &src, const QStringList &names)
{
    QHash<QString, QString> e;
    for (const QString &name : names)
        e[name] = valueOf(src, name);
    // The thermometer is on when it has recipients; on without any, it comes back with one.
    const bool anyRecipient = src.checked("CheckBox37");
    if (anyRecipient)
        e["CheckBox56"] = "1";
    else if (src.checked("CheckBox56"))
        e["CheckBox37"] = "1";
    // A pair's second box brings the first with it.
    for (const auto &[first, second] : kPairs) {
        if (src.checked(second))
            e[first] = "1";
    }
    for (const QString &combo : kCombos) {
        if (e[combo] == "-1")
            e[combo] = "0";
    }
    for (const auto &[name, width] : kNumbers)
        e[name] = e[name].rightJustified(width, '0');
    for (int k = 1; k <= 30; ++k) {
        QString &text = e[edit(k)];
        if (k >= 10 && k <= 18 && text.isEmpty())
            text = QString(16, 'F');
        else
            text = text.section(' ', 0, 0); // fixed slots end at the first space
    }
    return e;
}

QStringList differences(const Controls &dst, const QHash<QString, QString> &expected)
{
    QStringList out;
    for (auto it = expected.begin(); it != expected.end(); ++it) {
        if (valueOf(dst, it.key()) != it.value())
            out << QStringLiteral("%1: '%2' (expected '%3')").arg(it.key(), valueOf(dst, it.key()), it.value());
    }
    out.sort();
    return out;
}

} // namespace

void TestRoundTrip::settingsRecord()
{
    QRandomGenerator g(20240611);
    for (int n = 0; n < kConfigurations; ++n) {
        MemoryControls src = records::startControls();
        const Config config = randomConfig(g);
        script::apply(src, config.lines);
        const QByteArray record = records::buildSettings(src);
        // Whatever the boxes held, the fixed part keeps its layout.
        QVERIFY(record.size() >= 567);
        QCOMPARE(record.at(513), '"');
        if (src.text("Edit34").size() <= 46)
            QCOMPARE(record.mid(561, 6), QByteArray("\"TCP\","));

        // The reader must set every control itself: start it from another configuration.
        MemoryControls dst = records::startControls();
        script::apply(dst, randomConfig(g).lines);
        records::applySettings(dst, "READ_SET_" + record + "\r", 9);
        const QStringList wrong = differences(dst, expectedAfterSettings(src, config.names));
        QVERIFY2(wrong.isEmpty(), qPrintable(QString("configuration %1: %2").arg(n).arg(wrong.join("; "))));
        // The server group's enabled state follows its switch.
        QCOMPARE(dst.enabled("Edit35"), src.checked("CheckBox57"));
    }
}

void TestRoundTrip::listForms()
{
    QRandomGenerator g(77);
    const QString noEntry = QString::fromUtf8("Нет записи");
    for (int n = 0; n < kConfigurations; ++n) {
        MemoryControls src = records::startControls();
        for (int k = 1; k <= 9; ++k)
            src.setText(edit(k), randomText(g, 15, "+0123456789"));
        for (int k = 10; k <= 18; ++k)
            src.setText(edit(k), g.bounded(2) ? QString(16, 'C') : randomText(g, 16, "0123456789ABCDEF"));
        for (int k = 19; k <= 30; ++k)
            src.setText(edit(k), randomText(g, 11, printable(true)));
        for (int k : {34, 35})
            src.setText(edit(k), randomText(g, 50, printable(false)));
        for (int k : {40, 37})
            src.setText(edit(k), randomText(g, k == 40 ? 8 : 3, "0123456789"));

        const QByteArray phones = records::buildPhoneList(src);
        const QByteArray keys = records::buildKeyList(src);
        const QByteArray sms = records::buildSmsList(src);
        const QByteArray gprs = records::buildGprsList(src);

        MemoryControls dst = records::startControls();
        records::applyPhoneList(dst, "READ_ABON_" + phones + "\r", 10);
        records::applyKeyList(dst, "READ_DALLAS_" + keys + "\r", 12);
        records::applySmsList(dst, "READ_SMS_" + sms + "\r", 9);
        records::applyGprsList(dst, "READ_APN_" + gprs + "\r", 9);

        QHash<QString, QString> e;
        for (int k = 1; k <= 9; ++k)
            e[edit(k)] = src.text(edit(k));
        for (int k = 10; k <= 18; ++k)
            e[edit(k)] = src.text(edit(k)).isEmpty() ? QString(16, 'F') : src.text(edit(k));
        for (int k : {19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 34, 35, 40, 37})
            e[edit(k)] = src.text(edit(k)).size() < 2 ? noEntry : src.text(edit(k));
        const QStringList wrong = differences(dst, e);
        QVERIFY2(wrong.isEmpty(), qPrintable(QString("configuration %1: %2").arg(n).arg(wrong.join("; "))));
    }
}

QTEST_GUILESS_MAIN(TestRoundTrip)
#include "tst_roundtrip.moc"
