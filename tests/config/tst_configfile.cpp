// Configuration files: what is refused, templates, and the round trips through the
// window's own pages with their interlocks.
#include "generated.h"

#include "config/accessiblename.h"
#include "config/catalog.h"
#include "config/configform.h"
#include "config/writeplan.h"
#include "records/blocks.h"
#include "records/controls.h"
#include "records/records.h"
#include "records/settingsfields.h"
#include "tests/support/pagecatalog.h"
#include "ui/desktop.h"
#include "rules/factorydefaults.h"
#include "ui/pagecontrol.h"
#include "ui/widgetcontrols.h"
#include "ui/windowrules.h"
#include "translations/language.h"

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
    void theWindowAndTheMemoryFormBuildTheSameRecord();
    void theCatalogFromTheFormsIsTheWindows();
    void recordsReadFromAControllerSurviveTheFile();
    void readFileWriteStoresWhatTheWindowWritesBack_data();
    void readFileWriteStoresWhatTheWindowWritesBack();
    void rulesThatChangeNamedValuesAreTold();
    void factoryFileIsWhatAReadShows();
    void templatesChangeOnlyWhatTheyName_data();
    void templatesChangeOnlyWhatTheyName();
    void fileIsGroupedByPageWithCaptions();
    void gridNamesOnlyForTheirRows_data();
    void gridNamesOnlyForTheirRows();
    void namesAPersonTypesAreTheControlNames_data();
    void namesAPersonTypesAreTheControlNames();
    void aNameOfSeveralControlsIsRefused_data();
    void aNameOfSeveralControlsIsRefused();
    void writePlanTellsWhatTheWriteDoes_data();
    void writePlanTellsWhatTheWriteDoes();
    void verifyWriteNamesTheDifferingBytes_data();
    void verifyWriteNamesTheDifferingBytes();
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
    QTest::newRow("named twice, once as the window reads it")
        << ok + "sms о тревоге — АБОНЕНТ 1 = 0\n" << 3 << "sms о тревоге — АБОНЕНТ 1 (CheckBox1) is given twice (first on line 2)";
    QTest::newRow("a name the window has not") << ok + "Номер 10-го абонента = +380\n" << 3
                                               << "Номер 10-го абонента is not a configuration control";
    QTest::newRow("check box 2") << ok + "CheckBox2 = 2\n" << 3 << "takes 0 or 1";
    QTest::newRow("list past its items") << ok + "ComboBox22 = 10\n" << 3 << "item number from 0 to 9";
    QTest::newRow("list not a number") << ok + "ComboBox22 = three\n" << 3 << "item number";
    QTest::newRow("phone past its slot") << ok + "Edit1 = +380501234567890\n" << 3 << "at most 15 characters";
    QTest::newRow("SMS word past its slot") << ok + "Edit19 = ABCDEFGHIJKLM\n" << 3 << "at most 12 characters";
    QTest::newRow("space in a phone") << ok + "Edit1 = \"+380 50\"\n" << 3 << "cannot hold a space";
    QTest::newRow("space in an SMS word") << ok + "Edit20 = \"Pod ohranoj\"\n" << 3 << "would come back as \"Pod\"";
    QTest::newRow("short threshold") << ok + "Edit32 = 7\n" << 3 << "takes exactly 2 characters";
    QTest::newRow("short key") << ok + "Edit10 = 0123456789ABCDE\n" << 3 << "takes exactly 16 characters";
    QTest::newRow("erased key left empty") << ok + "Edit10 = \"\"\n" << 3 << "takes exactly 16 characters";
    QTest::newRow("list number no read selects") << ok + "ComboBox22 = -2\n" << 3
                                                 << "takes -1 (nothing selected) or an item number from 0 to 9, not \"-2\"";
    QTest::newRow("reply word in an SMS word") << ok + "Edit20 = READ_SET_\n" << 3 << "reply word reads as a malformed";
    QTest::newRow("reply word in the server") << ok + "Edit35 = WRITE_SET_OK\n" << 3 << "reply word";
    QTest::newRow("carriage return in a text") << ok + "Edit38 = \"1\r\"\n" << 3 << "a carriage return (U+000D)";
    QTest::newRow("NUL in a text") << ok + "Edit35 = \"a\\x00b\"\n" << 3 << "NUL (U+0000)";
    QTest::newRow("control character in a box") << ok + "CheckBox2 = \x01\n" << 3 << "not \"\\x01\"";
    QTest::newRow("character Windows-1251 lacks") << ok + "Edit34 = \"\xc4\x89\"\n" << 3 << "'\xc4\x89' (U+0109)";
    QTest::newRow("character outside the Basic Plane") << ok + "Edit19 = \xf0\x9f\x98\x80\n" << 3 << "(U+1F600)";
    QTest::newRow("access point with the record's separators")
        << ok + "Edit34 = \"ab\\\"  \\\"TCP\\\",x\"\n" << 3 << "a read never shows";
    QTest::newRow("server too long for a reply") << ok + "Edit35 = " + QByteArray(600, 'a') + "\n" << 3 << "too long";
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
    QTest::newRow("leading space") << "Edit10" << " 123456789ABCDEF";
    QTest::newRow("trailing spaces") << "Edit35" << "abc  ";
    QTest::newRow("line feed and tab") << "Edit34" << "a\nb\tc";
    QTest::newRow("control characters only") << "Edit33" << "\x01\x7f";
    QTest::newRow("the code page's 0x98") << "Edit19" << QString(QChar(0x98));
    QTest::newRow("an escape's spelling as text") << "Edit35" << "\\x41";
    QTest::newRow("Cyrillic and the list separator") << "Edit20" << "Охрана_1";
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

// The tool works on the controls in memory; the window on its widgets with their rules.
// Every generated configuration, and every generated record read back, builds the same
// record (and the same configuration) in both.
void TestConfigFile::theWindowAndTheMemoryFormBuildTheSameRecord()
{
    const Catalog &catalog = windowCatalog();
    const quint32 seed = QRandomGenerator::global()->generate();
    QRandomGenerator g(seed);
    PageControl pages;
    WidgetControls window(&pages);
    new WindowRules(&pages, window, Desktop::instance());
    const auto same = [&](ConfigForm &memory, const QString &what) {
        const QString where = QStringLiteral("seed %1, %2").arg(seed).arg(what);
        const auto diffs = catalog.compare(catalog.capture(window), catalog.capture(memory.controls()));
        QVERIFY2(diffs.isEmpty(), qPrintable(where + QStringLiteral(": ") + (diffs.isEmpty() ? QString() : diffs.first().control->name)));
        QVERIFY2(records::buildSettings(window) == records::buildSettings(memory.controls()), qPrintable(where));
    };

    ConfigForm start;
    same(start, QStringLiteral("start values"));
    ConfigForm factory;
    factory.applyFactoryConfiguration();
    applyFactoryDefaults(window);
    records::resetPhones(window);
    records::resetKeys(window);
    records::resetSmsTexts(window);
    records::setGprsDefaults(window);
    same(factory, QStringLiteral("factory values"));

    const QByteArray startRecord = records::buildSettings(start.controls());
    for (int round = 0; round < 100; ++round) {
        // A configuration applied over the last one, as a template is.
        const Configuration cfg = generatedConfiguration(catalog, g);
        ConfigForm memory;
        catalog.apply(memory.controls(), catalog.capture(window));
        catalog.apply(window, cfg);
        catalog.apply(memory.controls(), cfg);
        same(memory, QStringLiteral("configuration %1").arg(round));

        // A record a controller may hold, read in both.
        QByteArray record = startRecord;
        for (int i = 0; i < 90; ++i)
            record[i] = g.bounded(8) == 0 ? "x: "[g.bounded(3)] : char('0' + g.bounded(10));
        const QByteArray reply = "READ_SET_" + record + '\r';
        records::applySettings(window, reply, 9);
        records::applySettings(memory.controls(), reply, 9);
        same(memory, QStringLiteral("record %1").arg(round));
    }
}

// The catalog the tool takes from the forms' tables says of every control what the
// window's own pages say: page, caption, items, limit, key filter, read form.
void TestConfigFile::theCatalogFromTheFormsIsTheWindows()
{
    const PageControl pages;
    const Catalog window = catalogOfPages(pages);
    const Catalog &forms = windowCatalog();
    QCOMPARE(forms.pageCount(), pages.count());
    for (int i = 0; i < pages.count(); ++i)
        QCOMPARE(forms.pageTitle(i), pages.tabText(i));
    QCOMPARE(forms.controls().size(), window.controls().size());
    QVERIFY(forms.controls().size() > 200);
    for (int i = 0; i < window.controls().size(); ++i) {
        const ControlInfo &a = forms.controls()[i];
        const ControlInfo &b = window.controls()[i];
        QCOMPARE(a.name, b.name);
        const QString name = b.name;
        QVERIFY2(a.kind == b.kind && a.page == b.page && a.radioSet == b.radioSet && a.limit == b.limit
                     && a.chars == b.chars && a.readForm == b.readForm && a.slot == b.slot,
                 qPrintable(name));
        QCOMPARE(a.caption, b.caption);
        QCOMPARE(a.accessibleName, b.accessibleName);
        QCOMPARE(a.meaning, b.meaning);
        QCOMPARE(a.items, b.items);
    }
}

void TestConfigFile::windowFileWindowGivesTheSameRecord()
{
    const Catalog &catalog = windowCatalog();
    const quint32 seed = QRandomGenerator::global()->generate();
    QRandomGenerator g(seed);
    for (int round = 0; round < 60; ++round) {
        ConfigForm original;
        catalog.apply(original.controls(), generatedConfiguration(catalog, g));
        // What the window saves: the configuration as its write stores it.
        const QByteArray text = catalog.render(storedForm(original.controls()));

        Configuration loaded;
        const auto error = parseAndCheck(text, &loaded);
        QVERIFY2(!error, qPrintable(QStringLiteral("seed %1: %2").arg(seed).arg(error ? error->message() : QString())));
        // Into pages that hold something else, so that every value has to come from the file.
        ConfigForm other;
        other.applyFactoryConfiguration();
        catalog.apply(other.controls(), loaded);

        // The file holds what a read shows once the window's record is written; opened
        // elsewhere and written, it stores what a window that read that record writes
        // back. (A text a read cuts short, an SMS word with a space, stays cut.)
        QCOMPARE(catalog.compare(catalog.capture(other.controls()), storedForm(original.controls())).size(), 0);
        ConfigForm reader;
        records::applySettings(reader.controls(), "READ_SET_" + records::buildSettings(original.controls()) + '\r', 9);
        QVERIFY2(records::buildSettings(other.controls()) == records::buildSettings(reader.controls()),
                 qPrintable(QStringLiteral("seed %1").arg(seed)));
    }
}

// Whatever a controller holds, as a read shows it: digits at every position of the
// settings fields and stray characters outside the number and list fields (a list shows
// a record's digit as its item), then the blocks as the start record has them.
void TestConfigFile::recordsReadFromAControllerSurviveTheFile()
{
    const Catalog &catalog = windowCatalog();
    const quint32 seed = QRandomGenerator::global()->generate();
    QRandomGenerator g(seed);
    ConfigForm start;
    const QByteArray startRecord = records::buildSettings(start.controls());
    // Any field may hold what its decoder handles: a letter in a number, a list digit
    // beyond the list (nothing selected).
    for (int round = 0; round < 60; ++round) {
        QByteArray record = startRecord;
        for (int i = 0; i < 90; ++i)
            record[i] = g.bounded(8) == 0 ? "x: "[g.bounded(3)] : char('0' + g.bounded(10));
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

// A record as a controller may send it: the start record with slots and fields replaced.
struct RecordEdit
{
    int offset;
    QByteArray bytes;
};
Q_DECLARE_METATYPE(QList<RecordEdit>)

namespace {

QByteArray slotOf(const QByteArray &text, int width)
{
    return text.leftJustified(width, ' ', true);
}

QByteArray startRecord()
{
    ConfigForm start;
    return records::buildSettings(start.controls());
}

// Every settings field of one kind at its first or last character.
QList<RecordEdit> everyField(bool last)
{
    QList<RecordEdit> out;
    for (const records::Field &f : records::settingsFields()) {
        char ch = '0';
        switch (f.kind) {
        case records::FieldKind::Index:
            ch = last ? '9' : '0';
            break;
        case records::FieldKind::Count:
            ch = last ? char('0' + qMin(9, int(f.controls.size()))) : '0';
            break;
        case records::FieldKind::Choice:
            ch = last ? char('0' + int(f.controls.size()) - 1) : '0';
            break;
        case records::FieldKind::Single:
        case records::FieldKind::Paired:
            ch = last ? (f.kind == records::FieldKind::Paired ? '2' : '1') : '0';
            break;
        case records::FieldKind::Number:
        case records::FieldKind::Reserved:
            continue;
        }
        out.append({f.offset, QByteArray(1, ch)});
    }
    return out;
}

QList<RecordEdit> everySlot(int offset, int width, int count, const QByteArray &text)
{
    QList<RecordEdit> out;
    for (int k = 0; k < count; ++k)
        out.append({offset + k * width, slotOf(text, width)});
    return out;
}

// The internet texts at the record's end, as a controller lays them out.
QByteArray gprsTail(const QByteArray &apn, const QByteArray &server, const QByteArray &port)
{
    return '"' + apn + '"' + QByteArray(qMax(0, records::kApnField - int(apn.size())), ' ') + "\"TCP\",\"" + server
           + "\",\"" + port + "\"" + QByteArray(17, ' ');
}

} // namespace

void TestConfigFile::readFileWriteStoresWhatTheWindowWritesBack_data()
{
    QTest::addColumn<QList<RecordEdit>>("edits");
    QTest::addColumn<QByteArray>("tail"); // from the internet block on; empty: the start record's

    using records::kKeyOffset;
    using records::kKeyWidth;
    using records::kPhoneOffset;
    using records::kPhoneWidth;
    using records::kSmsOffset;
    using records::kSmsWidth;
    const QByteArray none;
    QTest::newRow("start record") << QList<RecordEdit>{} << none;
    QTest::newRow("first items of every field") << everyField(false) << none;
    QTest::newRow("last items of every field") << everyField(true) << none;
    QTest::newRow("full-width slots")
        << everySlot(kPhoneOffset, kPhoneWidth, 9, "+38050123456789") + everySlot(kSmsOffset, kSmsWidth, 12, "Ohrana_vklyu")
               + everySlot(kKeyOffset, kKeyWidth, 9, "01234567890abcde")
        << gprsTail(QByteArray(50, 'a'), QByteArray(50, 'b'), "12345678");
    QTest::newRow("empty slots")
        << everySlot(kPhoneOffset, kPhoneWidth, 9, "") + everySlot(kSmsOffset, kSmsWidth, 12, "")
               + everySlot(kKeyOffset, kKeyWidth, 9, "")
        << gprsTail("", "", "");
    QTest::newRow("short numbers and words")
        << everySlot(kPhoneOffset, kPhoneWidth, 9, "+3") + everySlot(kSmsOffset, kSmsWidth, 12, "A")
               + QList<RecordEdit>{{26, "12 4"}, {32, "5 "}, {34, " 7"}, {67, "9A"}, {69, "1 1"}, {85, "6  "}}
        << gprsTail("a", "b", "1");
    QTest::newRow("list digits beyond their lists, letters in numbers")
        << [] {
               QList<RecordEdit> out;
               for (const records::Field &f : records::settingsFields()) {
                   if (f.kind == records::FieldKind::Index)
                       out.append({f.offset, QByteArray(1, char('0' + 10 + f.offset % 5))});
                   else if (f.kind == records::FieldKind::Number)
                       out.append({f.offset, QByteArray("ab1Z").right(f.width)});
               }
               return out;
           }()
        << none;
    QTest::newRow("characters no one could type")
        << everySlot(kPhoneOffset, kPhoneWidth, 9, "\xcd\xee\xec\xe5\xf0*#") // "Номер*#"
               + everySlot(kSmsOffset, kSmsWidth, 12, "\xce\xf5\x98\t\n\x01_\x7f")
               + everySlot(kKeyOffset, kKeyWidth, 9, "ff ff\xff\x02\\\"#=-_a b")
               + QList<RecordEdit>{{26, "\xe0\x01\t\""}, {32, "#\n"}}
        << gprsTail("\xe8\xed\xf2\xe5\xf0\xed\xe5\xf2 #\\", "a\",\"b", "\t\x98");
}

// Read a record into a file, load it, write it onto a controller holding that record and
// onto one holding the factory values: each stores the bytes the window writes back
// after reading the same record, and the file compares equal to the controller.
void TestConfigFile::readFileWriteStoresWhatTheWindowWritesBack()
{
    QFETCH(QList<RecordEdit>, edits);
    QFETCH(QByteArray, tail);
    const Catalog &catalog = windowCatalog();

    QByteArray record = startRecord();
    for (const RecordEdit &e : edits)
        record.replace(e.offset, e.bytes.size(), e.bytes);
    if (!tail.isEmpty())
        record = record.left(records::kGprsOffset) + tail;
    const QByteArray reply = "READ_SET_" + record + '\r';

    ConfigForm window;
    records::applySettings(window.controls(), reply, 9);
    const Configuration read = catalog.capture(window.controls());
    const QByteArray writtenBack = records::buildSettings(window.controls());

    Configuration loaded;
    const auto error = parseAndCheck(catalog.render(read), &loaded);
    QVERIFY2(!error, qPrintable(error ? error->message() : QString()));
    QCOMPARE(catalog.compare(read, loaded).size(), 0);

    ConfigForm sameController;
    records::applySettings(sameController.controls(), reply, 9);
    catalog.apply(sameController.controls(), loaded);
    QCOMPARE(records::buildSettings(sameController.controls()), writtenBack);

    ConfigForm factoryController;
    factoryController.applyFactoryConfiguration();
    catalog.apply(factoryController.controls(), loaded);
    QCOMPARE(records::buildSettings(factoryController.controls()), writtenBack);
}

void TestConfigFile::rulesThatChangeNamedValuesAreTold()
{
    const Catalog &catalog = windowCatalog();
    Configuration cfg;
    // Subscriber 3 gets the alarm SMS, so subscriber 1 does too: the column is a run.
    QCOMPARE(parseAndCheck(kHeader + "CheckBox1 = 0\nEdit1 = +380501112233\nCheckBox3 = 1\n", &cfg), std::nullopt);
    ConfigForm form;
    const QList<Change> changed = catalog.applyNoting(form.controls(), cfg);
    QCOMPARE(changed.size(), 1);
    QCOMPARE(changed.first().control->name, QStringLiteral("CheckBox1"));
    QCOMPARE(changed.first().named, QStringLiteral("0"));
    QCOMPARE(changed.first().now, QStringLiteral("1"));
    QCOMPARE(changed.first().line, 2);
    const QString line = catalog.changeLine(changed.first());
    QVERIFY2(line.startsWith(QStringLiteral("CheckBox1 0 becomes 1 (line 2; Телефоны и SMS: ")), qPrintable(line));

    // A file whose values stand as named changes nothing; spellings of one item are one value.
    Configuration plain;
    QCOMPARE(parseAndCheck(kHeader + "ComboBox22 = +3\nCheckBox1 = 1\n", &plain), std::nullopt);
    ConfigForm other;
    QCOMPARE(catalog.applyNoting(other.controls(), plain).size(), 0);
    Configuration zeroPadded;
    zeroPadded.set(QStringLiteral("ComboBox22"), QStringLiteral("03"));
    QCOMPARE(catalog.compare(plain, zeroPadded).size(), 0);
}

// Written to a controller and read back, the factory file compares equal: it holds the
// forms a read shows (a zero-padded threshold, the erased keys' code).
void TestConfigFile::factoryFileIsWhatAReadShows()
{
    const Catalog &catalog = windowCatalog();
    ConfigForm factory;
    factory.applyFactoryConfiguration();
    const Configuration file = storedForm(factory.controls());
    QCOMPARE(file.value(QStringLiteral("Edit32")), QStringLiteral("07"));
    QCOMPARE(file.value(QStringLiteral("Edit10")), QStringLiteral("FFFFFFFFFFFFFFFF"));
    Configuration loaded;
    QCOMPARE(parseAndCheck(catalog.render(file), &loaded), std::nullopt);

    ConfigForm controller;
    catalog.apply(controller.controls(), loaded);
    ConfigForm readBack;
    records::applySettings(readBack.controls(), "READ_SET_" + records::buildSettings(controller.controls()) + '\r', 9);
    QCOMPARE(catalog.compare(catalog.capture(readBack.controls()), loaded).size(), 0);
    // The factory button's own values in the window are what a write stores as these.
    QCOMPARE(records::buildSettings(factory.controls()), records::buildSettings(controller.controls()));
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
    // Each way a caption is found: a button's text carried on by the label under it, the
    // labels above and beside a box in a group, one hint told apart by its group box.
    const QList<QPair<const char *, QString>> captions{
        {"RadioButton34", QStringLiteral("Детектор GSM-глушилок: Работает отправка SMS и включение сирены")},
        {"Edit36", QStringLiteral("Проверка счета: Код запроса, *")},
        {"ComboBox24", QStringLiteral("Вход 2: Включает задержку на вход после постановки")},
        {"CheckBox1", QStringLiteral("Отправка SMS о тревоге 1-му абоненту")},
    };
    for (const auto &[name, caption] : captions)
        QCOMPARE(catalog.find(QLatin1String(name))->caption, caption);

    // For a Russian user the comment is the caption alone: no English half after it.
    language::set(language::Language::Russian);
    const QString russian = QString::fromUtf8(catalog.render(catalog.capture(form.controls())));
    language::set(language::Language::English);
    int commented = 0;
    static const QRegularExpression valueLine(QStringLiteral("^(\\w+) = .*  # (.*)$"));
    for (const QString &line : russian.split(QLatin1Char('\n'))) {
        const QRegularExpressionMatch m = valueLine.match(line);
        if (!m.hasMatch())
            continue;
        ++commented;
        QCOMPARE(m.captured(2), catalog.find(m.captured(1))->caption);
    }
    QCOMPARE(commented, catalog.controls().size());
}

void TestConfigFile::writePlanTellsWhatTheWriteDoes_data()
{
    QTest::addColumn<QByteArray>("lines");
    QTest::addColumn<QStringList>("changed"); // controls whose value a read shows otherwise after the write
    QTest::addColumn<QStringList>("told");    // "rules: name now" / "record: name now"
    QTest::addColumn<bool>("asShown");        // the window's pages, their rules run already

    QTest::newRow("nothing named") << QByteArray() << QStringList{} << QStringList{} << false;
    QTest::newRow("what it holds") << QByteArray("Edit34 = www.ab.kyivstar.net\n") << QStringList{} << QStringList{}
                                   << false;
    QTest::newRow("a changed field") << QByteArray("Edit34 = internet\n") << QStringList{"Edit34"} << QStringList{}
                                     << false;
    // Subscriber 3 gets the alarm SMS, so subscriber 1 does too.
    QTest::newRow("a rule's change")
        << QByteArray("CheckBox1 = 0\nEdit1 = +380501112233\nCheckBox3 = 1\n")
        << QStringList{"CheckBox2", "CheckBox3", "Edit1"} << QStringList{"rules: CheckBox1 1"} << false;
    // The pages' values go on as they stand, no rule run again; the record keeps the
    // alarm SMS column as a count, so a read shows subscriber 1 on all the same.
    QTest::newRow("the pages' values, as they stand")
        << QByteArray("CheckBox1 = 0\nEdit1 = +380501112233\nCheckBox3 = 1\n")
        << QStringList{"CheckBox2", "CheckBox3", "Edit1"} << QStringList{"record: CheckBox1 1"} << true;
    QTest::newRow("the pages' unchanged values") << QByteArray("Edit34 = www.ab.kyivstar.net\n") << QStringList{}
                                                 << QStringList{} << true;
    // An empty number is stored as the country code alone.
    QTest::newRow("a normalised field") << QByteArray("Edit1 = \n") << QStringList{}
                                        << QStringList{"record: Edit1 +380"} << false;
    // Building the record writes the country code back into the pages' box.
    QTest::newRow("the pages' empty number") << QByteArray("Edit1 = \n") << QStringList{}
                                             << QStringList{"record: Edit1 +380"} << true;
}

// The plan takes the held record and the wanted values to the record to send, the
// backup of what was held, and what changes or is stored otherwise than named.
void TestConfigFile::writePlanTellsWhatTheWriteDoes()
{
    QFETCH(QByteArray, lines);
    QFETCH(QStringList, changed);
    QFETCH(QStringList, told);
    QFETCH(bool, asShown);
    const Catalog &catalog = windowCatalog();

    Configuration wanted;
    QCOMPARE(parseAndCheck(kHeader + lines, &wanted), std::nullopt);
    const QByteArray held = startRecord();
    const WritePlan plan = planWrite(held, wanted, asShown ? Rules::Ran : Rules::Run);
    // What building wrote back is what a read shows there, and only where it differs
    // from what was named.
    for (const Entry &e : plan.writtenBack.entries()) {
        QVERIFY2(wanted.value(e.name) != e.value, qPrintable(e.name));
        QCOMPARE(plan.stored.value(e.name), e.value);
    }
    // An empty number box gets the country code the record carries for it.
    if (wanted.contains(QStringLiteral("Edit1")) && wanted.value(QStringLiteral("Edit1")).isEmpty())
        QCOMPARE(plan.writtenBack.value(QStringLiteral("Edit1")), plan.stored.value(QStringLiteral("Edit1")));

    QCOMPARE(plan.changedControls(), changed);
    QStringList got;
    for (const Change &c : plan.ruleChanges)
        got << QStringLiteral("rules: %1 %2").arg(c.control->name, c.now);
    for (const Change &c : plan.formChanges)
        got << QStringLiteral("record: %1 %2").arg(c.control->name, c.now);
    QCOMPARE(got, told);
    QVERIFY(plan.fault.isEmpty());
    // Nothing changed, nothing differs from what was held, byte for byte.
    QCOMPARE(plan.record == held, changed.isEmpty());
    QCOMPARE(verifyWrite(held, plan.record).isEmpty(), changed.isEmpty());

    // The backup is what the controller held, whatever was wanted.
    ConfigForm controller;
    records::applySettings(controller.controls(), "READ_SET_" + held + '\r', 9);
    Configuration backup;
    QCOMPARE(parseAndCheck(plan.backupText(), &backup), std::nullopt);
    QCOMPARE(catalog.compare(backup, catalog.capture(controller.controls())).size(), 0);
    // And what the plan says is stored is what a read of the record shows.
    ConfigForm readBack;
    records::applySettings(readBack.controls(), "READ_SET_" + plan.record + '\r', 9);
    QCOMPARE(catalog.compare(plan.stored, catalog.capture(readBack.controls())).size(), 0);
}

void TestConfigFile::verifyWriteNamesTheDifferingBytes_data()
{
    QTest::addColumn<int>("at");            // where the bytes read back are replaced; -1: none
    QTest::addColumn<QByteArray>("bytes");  // what replaces them
    QTest::addColumn<int>("cut");           // bytes missing from the end of the read back;
                                            // below zero: bytes past the end of the record
    QTest::addColumn<QStringList>("runs");  // "offset length name" each

    QTest::newRow("the same record") << -1 << QByteArray() << 0 << QStringList{};
    // The threshold's two digits lie at 34, the power-saving box at 36.
    QTest::newRow("one byte of a field") << 35 << QByteArray("8") << 0 << QStringList{"35 1 Edit32"};
    QTest::newRow("a field and its neighbour are two runs")
        << 35 << QByteArray("88") << 0 << QStringList{"35 1 Edit32", "36 1 CheckBox47"};
    QTest::newRow("a read back cut short") << -1 << QByteArray() << 3 << QStringList{"-3 3 "};
    QTest::newRow("a read back longer than the record") << -1 << QByteArray() << -2 << QStringList{"0 2 "};
}

// The one comparison after a write: runs of differing bytes, each within one field,
// with the control, page and caption a person looks for.
void TestConfigFile::verifyWriteNamesTheDifferingBytes()
{
    QFETCH(int, at);
    QFETCH(QByteArray, bytes);
    QFETCH(int, cut);
    QFETCH(QStringList, runs);
    const Catalog &catalog = windowCatalog();

    const QByteArray sent = startRecord();
    QByteArray readBack = sent.left(sent.size() - qMax(cut, 0)) + QByteArray(qMax(-cut, 0), 'X');
    if (at >= 0)
        readBack.replace(at, bytes.size(), bytes);
    const QList<ByteDifference> diffs = verifyWrite(sent, readBack);

    QStringList got;
    int total = 0;
    for (const ByteDifference &d : diffs) {
        const int offset = d.offset >= qMin(sent.size(), readBack.size()) ? d.offset - int(sent.size()) : d.offset;
        got << QStringLiteral("%1 %2 %3").arg(offset).arg(d.length()).arg(d.place.controls.value(0));
        for (int i = 0; i < d.length(); ++i)
            total += (d.offset + i >= qMin(sent.size(), readBack.size()) || sent.at(d.offset + i) != readBack.at(d.offset + i)) ? 1 : 0;
        QCOMPARE(d.written, sent.mid(d.offset, d.length()));
        QCOMPARE(d.readBack, readBack.mid(d.offset, d.length()));
        if (const ControlInfo *info = catalog.find(d.place.controls.value(0))) {
            QCOMPARE(d.caption, info->caption);
            QCOMPARE(d.page, catalog.pageTitle(info->page));
        } else {
            QVERIFY2(!d.caption.isEmpty() || !d.page.isEmpty() || d.offset >= readBack.size(), qPrintable(d.place.meaning));
            // The page column names a page or nothing, never the whole meaning.
            QVERIFY2(d.page.isEmpty() || d.place.meaning.startsWith(d.page + QLatin1String(": ")), qPrintable(d.page));
            QVERIFY(d.place.meaning.endsWith(d.caption));
            if (d.offset >= sent.size())
                QVERIFY(d.page.isEmpty() && !d.caption.isEmpty());
        }
    }
    QCOMPARE(got, runs);
    QCOMPARE(differingBytes(diffs), total);
}

QTEST_MAIN(TestConfigFile)
// A file may name its controls as the window reads them out or as the sheet captions
// them, in any letter case: it loads as the file with the control names does.
// A grid's cell is named from its row; a name just past a grid, or not letters then a
// number, is no cell.
void TestConfigFile::gridNamesOnlyForTheirRows_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("name"); // empty: no grid cell
    QTest::newRow("first phone") << "Edit1" << "Номер 1-го абонента";
    QTest::newRow("last key") << "Edit18" << "Код 9-го ключа";
    QTest::newRow("past the keys") << "Edit19" << "";
    QTest::newRow("last battery recipient") << "CheckBox36" << "SMS о разряде АКБ — абонент 9";
    QTest::newRow("between grids") << "CheckBox46" << "";
    QTest::newRow("number zero") << "Edit0" << "";
    QTest::newRow("leading zeros") << "Edit03" << "Номер 3-го абонента";
    QTest::newRow("no number") << "Edit" << "";
    QTest::newRow("no letters") << "3" << "";
    QTest::newRow("other case") << "edit3" << "";
    QTest::newRow("letters after the number") << "Edit3a" << "";
    QTest::newRow("a space") << "Edit 3" << "";
    QTest::newRow("a number past int") << "Edit99999999999999999999" << "";
    QTest::newRow("non-Latin digits") << QString::fromUtf8("Edit\xd9\xa3") << "";
}

void TestConfigFile::gridNamesOnlyForTheirRows()
{
    QFETCH(QString, control);
    QFETCH(QString, name);
    QCOMPARE(config::gridName(control), name);
}

void TestConfigFile::namesAPersonTypesAreTheControlNames_data()
{
    QTest::addColumn<QByteArray>("typed");
    QTest::addColumn<QByteArray>("named");
    QTest::newRow("grid cell and list, mixed case")
        << QByteArray("номер 3-го АБОНЕНТА = +380501112233\nпостановка на ОХРАНУ = 2\n")
        << QByteArray("Edit3 = +380501112233\nComboBox19 = 2\n");
    QTest::newRow("the sheet's caption, spaces around") << QByteArray("  Время   работы сирены  = 3\n")
                                                        << QByteArray("ComboBox22 = 3\n");
    QTest::newRow("a radio button told by its group") << QByteArray("работает на замыкание (вход 1) = 1\n")
                                                      << QByteArray("RadioButton2 = 1\n");
    QTest::newRow("control names in another case") << QByteArray("edit3 = +380501112233\n")
                                                   << QByteArray("Edit3 = +380501112233\n");
    // The first row of a grid that starts past 1, and the last row of the last grid.
    QTest::newRow("grid rows at their ends") << QByteArray("КОД 1-го ключа = 0123456789abcdef\n"
                                                           "голосом о глушении gsm — абонент 9 = 1\n")
                                             << QByteArray("Edit10 = 0123456789abcdef\nCheckBox107 = 1\n");
}

void TestConfigFile::namesAPersonTypesAreTheControlNames()
{
    QFETCH(QByteArray, typed);
    QFETCH(QByteArray, named);
    QTemporaryDir dir;
    Configuration loaded[2];
    const QByteArray texts[2] = {typed, named};
    for (int i = 0; i < 2; ++i) {
        const QString path = dir.filePath(QStringLiteral("%1.cfg").arg(i));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(kHeader + texts[i]);
        file.close();
        const auto error = load(path, windowCatalog(), &loaded[i]);
        QVERIFY2(!error, qPrintable(error ? error->message() : QString()));
    }
    QCOMPARE(loaded[0].size(), loaded[1].size());
    for (int i = 0; i < loaded[1].size(); ++i) {
        QCOMPARE(loaded[0].entries()[i].name, loaded[1].entries()[i].name);
        QCOMPARE(loaded[0].entries()[i].value, loaded[1].entries()[i].value);
        QCOMPARE(loaded[0].entries()[i].line, loaded[1].entries()[i].line);
    }
}

// Two controls that a name fits (the window's names are unique, so a catalog is made
// where they are not): the name is refused naming both, the control names still work.
void TestConfigFile::aNameOfSeveralControlsIsRefused_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("control"); // empty: refused
    QTest::addColumn<QString>("several");
    QTest::newRow("one accessible name for two") << "сирена" << "" << "CheckBox1 (Первая: Сирена), CheckBox2 (Первая: СИРЕНА)";
    QTest::newRow("a caption and another's name") << "Вход 1" << "" << "CheckBox2 (Первая: СИРЕНА), CheckBox3 (Первая: Вход 1)";
    QTest::newRow("the control name still") << "CheckBox2" << "CheckBox2" << "";
    QTest::newRow("a name only one has") << "ВЫХОД" << "CheckBox3" << "";
    QTest::newRow("no such name") << "Сирена 2" << "" << "";
}

void TestConfigFile::aNameOfSeveralControlsIsRefused()
{
    QFETCH(QString, text);
    QFETCH(QString, control);
    QFETCH(QString, several);
    const QHash<QString, QPair<QString, QString>> names{{"CheckBox1", {"Сирена", "Сирена"}},
                                                        {"CheckBox2", {"СИРЕНА", "Вход 1"}},
                                                        {"CheckBox3", {"Вход 1", "Выход"}}};
    const Catalog catalog({QStringLiteral("Первая")}, [&](const QString &name) -> std::optional<FoundControl> {
        if (!names.contains(name))
            return std::nullopt;
        FoundControl found;
        found.info.kind = ControlInfo::Check;
        found.info.page = 0;
        found.info.accessibleName = names[name].first;
        found.info.caption = names[name].second;
        return found;
    });
    QString which;
    const ControlInfo *info = catalog.resolve(text, &which);
    QCOMPARE(info ? info->name : QString(), control);
    QCOMPARE(which, several);

    Configuration cfg;
    cfg.set(text, QStringLiteral("1"), 4);
    const auto error = catalog.resolveNames(&cfg, QStringLiteral("x.cfg"));
    QCOMPARE(bool(error), control.isEmpty());
    if (!several.isEmpty())
        QCOMPARE(error->message(), QStringLiteral("x.cfg:4: \"%1\" names more than one control: %2; give the control name").arg(text, several));
    else if (!control.isEmpty())
        QCOMPARE(cfg.entries().first().name, control);
}

#include "tst_configfile.moc"
