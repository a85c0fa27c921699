// Configuration files: what is refused, templates, and the round trips through the
// window's own pages with their interlocks.
#include "generated.h"

#include "config/catalog.h"
#include "config/configform.h"
#include "protocol/records/controls.h"
#include "protocol/records/records.h"
#include "protocol/records/settingsfields.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace config;

class TestConfigFile : public QObject
{
    Q_OBJECT

private slots:
    void malformedFilesAreRefusedWhole_data();
    void malformedFilesAreRefusedWhole();
    void awkwardTextsSurviveTheFile_data();
    void awkwardTextsSurviveTheFile();
    void windowFileWindowGivesTheSameRecord();
    void recordsReadFromAControllerSurviveTheFile();
    void templatesChangeOnlyWhatTheyName_data();
    void templatesChangeOnlyWhatTheyName();
    void fileIsGroupedByPageWithCaptions();
};

namespace {

const QByteArray kHeader = "# tavrix-configuration 1\n";

std::optional<FileError> parseAndCheck(const QByteArray &text, Configuration *out)
{
    if (auto error = parse(text, QStringLiteral("x.cfg"), out))
        return error;
    return windowCatalog().check(*out, QStringLiteral("x.cfg"));
}

} // namespace

void TestConfigFile::malformedFilesAreRefusedWhole_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("reason");

    const QByteArray ok = kHeader + "CheckBox1 = 1\n";
    QTest::newRow("no format line") << QByteArray("CheckBox1 = 1\n") << 1 << "not a configuration file";
    QTest::newRow("another format") << QByteArray("# other-format 1\n") << 1 << "not a configuration file";
    QTest::newRow("unknown version") << QByteArray("# tavrix-configuration 2\n") << 1 << "version 2";
    QTest::newRow("not UTF-8") << kHeader + "Edit34 = \xff\xfe\n" << 0 << "not UTF-8";
    QTest::newRow("no equals sign") << ok + "CheckBox2 1\n" << 3 << "Name = value";
    QTest::newRow("unknown name") << ok + "CheckBox999 = 1\n" << 3 << "CheckBox999 is not a configuration control";
    QTest::newRow("counter label") << ok + "Label127 = 4/14\n" << 3 << "not a configuration control";
    QTest::newRow("named twice") << ok + "\n# again\nCheckBox1 = 0\n" << 5 << "given twice (first on line 2)";
    QTest::newRow("check box 2") << ok + "CheckBox2 = 2\n" << 3 << "takes 0 or 1";
    QTest::newRow("list past its items") << ok + "ComboBox22 = 10\n" << 3 << "item number from 0 to 9";
    QTest::newRow("list not a number") << ok + "ComboBox22 = three\n" << 3 << "item number";
    QTest::newRow("phone too long") << ok + "Edit1 = +38050123456789\n" << 3 << "at most 14 characters";
    QTest::newRow("line break in a long text") << ok + "Edit38 = \"1\r2\"\n" << 3 << "character 'U+000d'";
    QTest::newRow("letter in a phone") << ok + "Edit1 = +380a\n" << 3 << "character 'a'";
    QTest::newRow("underscore in SMS word") << ok + "Edit19 = a_b\n" << 3 << "character '_'";
    QTest::newRow("Cyrillic access point") << ok + "Edit34 = \"интернет\"\n" << 3 << "character 'и'";
    QTest::newRow("open quote") << ok + "Edit19 = \"abc\n" << 3 << "no closing quote";
    QTest::newRow("text after quote") << ok + "Edit19 = \"abc\" d\n" << 3 << "after the closing quote";
    QTest::newRow("two buttons of a set") << ok + "RadioButton1 = 1\nRadioButton2 = 1\n" << 4 << "exactly one";
    QTest::newRow("no button of a set") << ok + "RadioButton4 = 0\n" << 3 << "exactly one";
}

void TestConfigFile::malformedFilesAreRefusedWhole()
{
    QFETCH(QByteArray, text);
    QFETCH(int, line);
    QFETCH(QString, reason);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bad.cfg"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text);
    file.close();

    Configuration untouched;
    untouched.set(QStringLiteral("CheckBox5"), QStringLiteral("1"));
    Configuration out = untouched;
    const auto error = load(path, windowCatalog(), &out);
    QVERIFY(error);
    QCOMPARE(error->line, line);
    QVERIFY2(error->reason.contains(reason), qPrintable(error->reason));
    QVERIFY2(error->message().startsWith(path + QLatin1Char(':')), qPrintable(error->message()));
    QCOMPARE(out.entries().size(), 1); // nothing of the file came through
}

void TestConfigFile::awkwardTextsSurviveTheFile_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << "Edit19" << "";
    QTest::newRow("leading space") << "Edit19" << " abc";
    QTest::newRow("trailing spaces") << "Edit19" << "abc  ";
    QTest::newRow("hash") << "Edit34" << "a#b";
    QTest::newRow("quote first") << "Edit34" << "\"x";
    QTest::newRow("quote and backslash") << "Edit34" << "a\\\"b\\";
    QTest::newRow("equals sign") << "Edit35" << "k=v";
}

void TestConfigFile::awkwardTextsSurviveTheFile()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    Configuration cfg;
    cfg.set(name, text);
    Configuration back;
    QCOMPARE(parseAndCheck(windowCatalog().render(cfg), &back), std::nullopt);
    QCOMPARE(back.value(name), text);
}

void TestConfigFile::windowFileWindowGivesTheSameRecord()
{
    const Catalog &catalog = windowCatalog();
    const quint32 seed = QRandomGenerator::global()->generate();
    QRandomGenerator g(seed);
    for (int round = 0; round < 60; ++round) {
        ConfigForm original;
        catalog.apply(original.controls(), generatedConfiguration(catalog, g));
        const QByteArray text = catalog.render(catalog.capture(original.controls()));

        Configuration loaded;
        const auto error = parseAndCheck(text, &loaded);
        QVERIFY2(!error, qPrintable(QStringLiteral("seed %1: %2").arg(seed).arg(error ? error->message() : QString())));
        // Into pages that hold something else, so that every value has to come from the file.
        ConfigForm other;
        other.applyFactoryConfiguration();
        catalog.apply(other.controls(), loaded);

        QCOMPARE(catalog.compare(catalog.capture(other.controls()), catalog.capture(original.controls())).size(), 0);
        const QByteArray sent = records::buildSettings(original.controls());
        QVERIFY2(records::buildSettings(other.controls()) == sent, qPrintable(QStringLiteral("seed %1").arg(seed)));
    }
}

// Whatever a controller holds, as a read shows it: digits at every position of the
// settings fields and stray characters outside the number fields (a number box shows its
// characters as they came, and a file refuses what cannot be typed there), then the
// blocks as the start record has them.
void TestConfigFile::recordsReadFromAControllerSurviveTheFile()
{
    const Catalog &catalog = windowCatalog();
    const quint32 seed = QRandomGenerator::global()->generate();
    QRandomGenerator g(seed);
    ConfigForm start;
    const QByteArray startRecord = records::buildSettings(start.controls());
    QSet<int> numbers;
    for (const records::Field &f : records::settingsFields()) {
        for (int i = 0; f.kind == records::FieldKind::Number && i < f.width; ++i)
            numbers << f.offset + i;
    }
    for (int round = 0; round < 60; ++round) {
        QByteArray record = startRecord;
        for (int i = 0; i < 90; ++i)
            record[i] = !numbers.contains(i) && g.bounded(8) == 0 ? "x: "[g.bounded(3)] : char('0' + g.bounded(10));
        ConfigForm read;
        records::applySettings(read.controls(), "READ_SET_" + record + '\r', 9);
        Configuration loaded;
        const auto error = parseAndCheck(catalog.render(catalog.capture(read.controls())), &loaded);
        QVERIFY2(!error, qPrintable(QStringLiteral("seed %1: %2").arg(seed).arg(error ? error->message() : QString())));
        ConfigForm other;
        other.applyFactoryConfiguration();
        catalog.apply(other.controls(), loaded);
        const auto diffs = catalog.compare(catalog.capture(read.controls()), catalog.capture(other.controls()));
        QVERIFY2(diffs.isEmpty(), qPrintable(QStringLiteral("seed %1: %2 differs").arg(seed).arg(diffs.isEmpty() ? QString() : diffs.first().control->name)));
        QVERIFY2(records::buildSettings(other.controls()) == records::buildSettings(read.controls()),
                 qPrintable(QStringLiteral("seed %1").arg(seed)));
    }
}

void TestConfigFile::templatesChangeOnlyWhatTheyName_data()
{
    QTest::addColumn<QByteArray>("lines");
    QTest::addColumn<QStringList>("changed");

    QTest::newRow("one text") << QByteArray("Edit34 = internet\n") << QStringList{"Edit34"};
    QTest::newRow("list and phone") << QByteArray("ComboBox22 = 3\nEdit1 = +380991112233\n")
                                    << QStringList{"Edit1", "ComboBox22"};
    QTest::newRow("radio set") << QByteArray("RadioButton1 = 0\nRadioButton2 = 1\n")
                               << QStringList{"RadioButton1", "RadioButton2"};
    // The column's run from subscriber 1 grows as when the box is clicked.
    QTest::newRow("column box") << QByteArray("CheckBox3 = 1\n") << QStringList{"CheckBox2", "CheckBox3"};
    // The switch ticks its first input, as a read that turns it on does.
    QTest::newRow("master switch on") << QByteArray("CheckBox113 = 1\n") << QStringList{"CheckBox113", "CheckBox114"};
}

void TestConfigFile::templatesChangeOnlyWhatTheyName()
{
    QFETCH(QByteArray, lines);
    QFETCH(QStringList, changed);
    const Catalog &catalog = windowCatalog();

    Configuration tmpl;
    QCOMPARE(parseAndCheck(kHeader + lines, &tmpl), std::nullopt);
    ConfigForm form;
    const Configuration before = catalog.capture(form.controls());
    catalog.apply(form.controls(), tmpl);

    QStringList differing;
    for (const Difference &d : catalog.compare(before, catalog.capture(form.controls())))
        differing << d.control->name;
    QCOMPARE(differing, changed);
    for (const Entry &e : tmpl.entries())
        QCOMPARE(catalog.capture(form.controls()).value(e.name), e.value);
}

void TestConfigFile::fileIsGroupedByPageWithCaptions()
{
    ConfigForm form;
    const Catalog &catalog = windowCatalog();
    const QStringList lines = QString::fromUtf8(catalog.render(catalog.capture(form.controls()))).split(QLatin1Char('\n'));
    QCOMPARE(lines.first(), QStringLiteral("# tavrix-configuration 1"));
    QStringList pageLines;
    int valueLines = 0;
    for (const QString &line : lines) {
        if (line.startsWith(QLatin1String("# ")) && !line.contains(QLatin1Char('=')))
            pageLines << line.mid(2);
        else if (line.contains(QLatin1String(" = ")))
            ++valueLines;
    }
    QStringList titles;
    for (int i = 0; i < catalog.pageCount(); ++i)
        titles << catalog.pageTitle(i);
    QCOMPARE(pageLines.mid(1), titles);
    QCOMPARE(valueLines, catalog.controls().size());
    // The box's own hint, then what its field carries.
    const QString phone1 = lines.filter(QRegularExpression(QStringLiteral("^Edit1 "))).value(0);
    QVERIFY2(phone1.startsWith(QStringLiteral("Edit1 = +380                    # Номер 1-го абонента — ")), qPrintable(phone1));
    // A caption tells its control from the others of its page (in the compare dialog it
    // stands alone): a label that continues a button's text, a group box where hints agree.
    QHash<QString, QString> seen;
    for (const ControlInfo &info : catalog.controls()) {
        const QString key = catalog.pageTitle(info.page) + QLatin1Char('|') + info.caption;
        QVERIFY2(!seen.contains(key), qPrintable(info.name + QStringLiteral(" and ") + seen.value(key) + QStringLiteral(": ") + key));
        seen.insert(key, info.name);
    }
    QCOMPARE(catalog.find(QStringLiteral("RadioButton34"))->caption,
             QStringLiteral("Детектор GSM-глушилок: Работает отправка SMS и включение сирены"));
}

QTEST_MAIN(TestConfigFile)
#include "tst_configfile.moc"
