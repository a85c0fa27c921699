// The rules in the real window: names and types of every table entry, clicks and code
// that cascade, key filters and counters on the real boxes, and the factory values.
#include "app/tform1.h"
#include "records/records.h"
#include "tests/support/recordingdesktop.h"
#include "tests/rules/factorycheck.h"
#include "tests/support/expectedcontrols.h"
#include "ui/counters.h"
#include "rules/factorydefaults.h"
#include "records/controlnames.h"
#include "rules/interlocks.h"
#include "ui/keyfilters.h"
#include "ui/pagecontrol.h"
#include "ui/widgetcontrols.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <memory>

using names::numbered;

namespace {

const QString kCyrillicYa = QStringLiteral("\u042f");

void typeText(QWidget *w, const QString &text)
{
    for (QChar ch : text)
        QTest::sendKeyEvent(QTest::Click, w, Qt::Key(ch.toUpper().unicode()), QString(ch), Qt::NoModifier);
}

} // namespace

class TestWindowRules : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void everyNameExistsWithItsType();
    void countersKeepTheTypedLimitOverLongerText();
    void startStatesAreTakenAsTheyAre();
    void countersShowLengthsFromTheStart();
    void clickCascades_data();
    void clickCascades();
    void everyRunGroupCascadesFromCode();
    void partialArmingByClicks();
    void thermometerKeepsThresholdTexts();
    void voiceLeavesListeningTicked();
    void silentDropInEdit1SoundingInEdit3();
    void cyrillicRejectedEverywhere_data();
    void cyrillicRejectedEverywhere();
    void pasteIntoPhoneBox();
    void countersFollowCodeSetText();
    void factoryDefaultsFromAChangedWindow();
    void factoryValuesShowTheirCaptions_data();
    void factoryValuesShowTheirCaptions();

private:
    QLineEdit *showEdit(const char *name);
    template<typename T>
    T *find(const QString &name) const { return m_form->findChild<T *>(name); }

    std::unique_ptr<RecordingDesktop> m_desktop;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TForm1> m_form;
};

void TestWindowRules::init()
{
    m_desktop = std::make_unique<RecordingDesktop>();
    m_dir = std::make_unique<QTemporaryDir>();
    m_form = std::make_unique<TForm1>(PortMap(m_dir->path(), {}));
    m_form->show();
    QApplication::setActiveWindow(m_form.get());
}

void TestWindowRules::cleanup()
{
    m_form.reset();
    m_dir.reset();
    m_desktop.reset();
}

// Brings the box's page forward and gives it the focus.
QLineEdit *TestWindowRules::showEdit(const char *name)
{
    auto *edit = find<QLineEdit>(QLatin1String(name));
    if (!edit)
        return nullptr;
    PageControl *pages = m_form->pageControl();
    for (int i = 0; i < pages->count(); ++i) {
        if (pages->page(i)->isAncestorOf(edit))
            pages->setCurrentIndex(i);
    }
    edit->setFocus();
    if (!QTest::qWaitFor([edit] { return QApplication::focusWidget() == edit; }))
        return nullptr;
    return edit;
}

void TestWindowRules::everyNameExistsWithItsType()
{
    QStringList missing;
    const auto expect = [&](const QString &name, bool ok) {
        if (!ok)
            missing << name;
    };
    for (const interlocks::RunGroup &g : interlocks::runGroups()) {
        for (const QString &name : g.members)
            expect(name, find<QCheckBox>(name));
        if (!g.titleOffWithFirst.isEmpty())
            expect(g.titleOffWithFirst, find<QCheckBox>(g.titleOffWithFirst));
    }
    for (const interlocks::MasterSwitch &m : interlocks::masterSwitches()) {
        expect(m.master, find<QCheckBox>(m.master));
        for (const QString &name : m.dependents)
            expect(name, find<QWidget>(name));
        for (const QString &name : m.offWhenOff + m.onWhenOn)
            expect(name, find<QCheckBox>(name));
    }
    for (const EditBoxRule &rule : editBoxRules()) {
        expect(QLatin1String(rule.edit), find<QLineEdit>(QLatin1String(rule.edit)));
        if (rule.counter)
            expect(QLatin1String(rule.counter), find<QLabel>(QLatin1String(rule.counter)));
    }
    for (const FactoryValue &v : factoryValues()) {
        switch (v.kind) {
        case FactoryValue::Check:
            expect(v.name, find<QCheckBox>(v.name));
            break;
        case FactoryValue::Radio:
            expect(v.name, find<QRadioButton>(v.name));
            break;
        case FactoryValue::Index:
            expect(v.name, find<QComboBox>(v.name) && v.value < find<QComboBox>(v.name)->count());
            break;
        case FactoryValue::Text:
            expect(v.name, find<QLineEdit>(v.name));
            break;
        case FactoryValue::Disable:
            expect(v.name, find<QWidget>(v.name));
            break;
        }
    }
    QVERIFY2(missing.isEmpty(), qPrintable(missing.join(QLatin1Char(' '))));
}

void TestWindowRules::countersKeepTheTypedLimitOverLongerText()
{
    // The limit comes from the box; a longer text set by code raises the box's own
    // maximum for a while, never the limit the counter shows.
    for (const EditBoxRule &rule : editBoxRules()) {
        auto *edit = find<QLineEdit>(QLatin1String(rule.edit));
        QVERIFY2(edit, rule.edit);
        const int limit = edit->maxLength();
        const QString longer(limit + 3, QLatin1Char('1'));
        m_form->controls().setText(QLatin1String(rule.edit), longer);
        QCOMPARE(edit->text(), longer);
        QCOMPARE(typedLimit(edit), limit);
        if (rule.counter)
            QCOMPARE(find<QLabel>(QLatin1String(rule.counter))->text(), counterText(limit + 3, limit));
    }
}

void TestWindowRules::startStatesAreTakenAsTheyAre()
{
    WidgetControls &c = m_form->controls();
    QVERIFY(c.checked(QStringLiteral("CheckBox57")));
    for (const QString &name : expected::serverControls())
        QVERIFY2(!c.enabled(name), qPrintable(name));
    find<QCheckBox>(QStringLiteral("CheckBox57"))->click();
    QVERIFY(!c.enabled(QStringLiteral("Edit35")));
    find<QCheckBox>(QStringLiteral("CheckBox57"))->click();
    for (const QString &name : expected::serverControls())
        QVERIFY2(c.enabled(name), qPrintable(name));
}

void TestWindowRules::countersShowLengthsFromTheStart()
{
    for (const EditBoxRule &rule : editBoxRules()) {
        if (!rule.counter)
            continue;
        const auto *edit = find<QLineEdit>(QLatin1String(rule.edit));
        QCOMPARE(find<QLabel>(QLatin1String(rule.counter))->text(), counterText(int(edit->text().size()), typedLimit(edit)));
    }
    QCOMPARE(find<QLabel>(QStringLiteral("Label127"))->text(), QStringLiteral("4/14"));
    QCOMPARE(find<QLabel>(QStringLiteral("Label48"))->text(), QStringLiteral("0/16"));
}

void TestWindowRules::clickCascades_data()
{
    QTest::addColumn<QStringList>("clicks"); // boxes clicked in turn
    QTest::addColumn<QStringList>("group");
    QTest::addColumn<QString>("after");

    QTest::newRow("alarm 3 then 7") << QStringList{"CheckBox3", "CheckBox7"} << numbered("CheckBox", 1, 9)
                                    << "111111100";
    QTest::newRow("alarm 7 then 1") << QStringList{"CheckBox7", "CheckBox1"} << numbered("CheckBox", 1, 9)
                                    << "000000000";
    QTest::newRow("empty call 9 then 3") << QStringList{"CheckBox66", "CheckBox60"} << numbered("CheckBox", 58, 66)
                                         << "110000000";
    QTest::newRow("disarmed input 4 then 2") << QStringList{"CheckBox54", "CheckBox48"}
                                             << QStringList{"CheckBox48", "CheckBox54"} << "00";
    QTest::newRow("pulse 4 then 1") << QStringList{"CheckBox52", "CheckBox49"} << numbered("CheckBox", 49, 53)
                                    << "11111";
    QTest::newRow("pulse 2 then 4") << QStringList{"CheckBox50", "CheckBox52"} << numbered("CheckBox", 49, 53)
                                    << "00001";
}

void TestWindowRules::clickCascades()
{
    QFETCH(QStringList, clicks);
    QFETCH(QStringList, group);
    QFETCH(QString, after);
    for (const QString &name : clicks) {
        auto *box = find<QCheckBox>(name);
        QVERIFY2(box, qPrintable(name));
        box->click();
    }
    QString states;
    for (const QString &name : group)
        states += find<QCheckBox>(name)->isChecked() ? QLatin1Char('1') : QLatin1Char('0');
    QCOMPARE(states, after);
}

void TestWindowRules::everyRunGroupCascadesFromCode()
{
    WidgetControls &c = m_form->controls();
    for (const interlocks::RunGroup &g : interlocks::runGroups()) {
        const bool first = g.anchor == interlocks::Anchor::First;
        // Set the member farthest from the anchor: the whole group follows.
        c.setChecked(first ? g.members.last() : g.members.first(), true);
        for (const QString &name : g.members)
            QVERIFY2(c.checked(name), qPrintable(name));
        // Clear the anchor: the whole group follows.
        c.setChecked(first ? g.members.first() : g.members.last(), false);
        for (const QString &name : g.members)
            QVERIFY2(!c.checked(name), qPrintable(name));
    }
}

void TestWindowRules::partialArmingByClicks()
{
    WidgetControls &c = m_form->controls();
    const QStringList inputs = numbered("CheckBox", 114, 119);
    find<QCheckBox>(QStringLiteral("CheckBox113"))->click();
    for (const QString &name : inputs) {
        QVERIFY2(c.enabled(name), qPrintable(name));
        QCOMPARE(c.checked(name), name == QLatin1String("CheckBox114"));
    }
    find<QCheckBox>(QStringLiteral("CheckBox116"))->click();
    QVERIFY(c.checked(QStringLiteral("CheckBox115")));
    find<QCheckBox>(QStringLiteral("CheckBox114"))->click();
    QVERIFY(!c.checked(QStringLiteral("CheckBox113")));
    for (const QString &name : inputs) {
        QVERIFY2(!c.enabled(name), qPrintable(name));
        QVERIFY2(!c.checked(name), qPrintable(name));
    }
}

void TestWindowRules::thermometerKeepsThresholdTexts()
{
    WidgetControls &c = m_form->controls();
    find<QCheckBox>(QStringLiteral("CheckBox56"))->click();
    for (const char *name : {"Label23", "Label27", "Label44", "Label30", "Edit32", "Edit33"})
        QVERIFY2(c.enabled(QLatin1String(name)), name);
    QCOMPARE(c.text(QStringLiteral("Edit32")), QStringLiteral("07"));
    QCOMPARE(c.text(QStringLiteral("Edit33")), QStringLiteral("40"));
}

void TestWindowRules::voiceLeavesListeningTicked()
{
    WidgetControls &c = m_form->controls();
    find<QCheckBox>(QStringLiteral("CheckBox108"))->click();
    find<QCheckBox>(QStringLiteral("CheckBox109"))->click();
    find<QCheckBox>(QStringLiteral("CheckBox110"))->click();
    find<QCheckBox>(QStringLiteral("CheckBox84"))->click();
    find<QCheckBox>(QStringLiteral("CheckBox108"))->click();
    QVERIFY(!c.checked(QStringLiteral("CheckBox109")));
    QVERIFY(c.checked(QStringLiteral("CheckBox110")));
    QVERIFY(!c.enabled(QStringLiteral("CheckBox110")));
    QVERIFY(c.checked(QStringLiteral("CheckBox81")));
    QVERIFY(c.enabled(QStringLiteral("Label104")));
}

void TestWindowRules::silentDropInEdit1SoundingInEdit3()
{
    QLineEdit *edit1 = showEdit("Edit1");
    QVERIFY(edit1);
    typeText(edit1, QStringLiteral("5x"));
    QCOMPARE(edit1->text(), QStringLiteral("+3805"));
    QCOMPARE(m_desktop->alerts, 0);
    QCOMPARE(find<QLabel>(QStringLiteral("Label127"))->text(), QStringLiteral("5/14"));

    QLineEdit *edit3 = showEdit("Edit3");
    QVERIFY(edit3);
    typeText(edit3, QStringLiteral("5x"));
    QCOMPARE(edit3->text(), QStringLiteral("+3805"));
    QCOMPARE(m_desktop->alerts, 1);
}

void TestWindowRules::cyrillicRejectedEverywhere_data()
{
    QTest::addColumn<QString>("edit");
    for (const EditBoxRule &rule : editBoxRules())
        QTest::newRow(rule.edit) << QString::fromLatin1(rule.edit);
}

void TestWindowRules::cyrillicRejectedEverywhere()
{
    QFETCH(QString, edit);
    // Disabled boxes take no focus; the rule holds for them once they are enabled.
    m_form->controls().setEnabled(edit, true);
    QLineEdit *box = showEdit(qPrintable(edit));
    QVERIFY(box);
    box->clear();
    typeText(box, kCyrillicYa);
    QCOMPARE(box->text(), QString());
    QCOMPARE(m_desktop->alerts, 1);
}

void TestWindowRules::pasteIntoPhoneBox()
{
    QLineEdit *edit = showEdit("Edit1");
    QVERIFY(edit);
    edit->clear();
    QApplication::clipboard()->setText(QStringLiteral("+38 (050) 123-45-67 ") + kCyrillicYa);
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(edit->text(), QStringLiteral("+380501234567"));
    QCOMPARE(m_desktop->alerts, 1);
    QCOMPARE(find<QLabel>(QStringLiteral("Label127"))->text(), QStringLiteral("13/14"));
}

void TestWindowRules::countersFollowCodeSetText()
{
    WidgetControls &c = m_form->controls();
    c.setText(QStringLiteral("Edit5"), QStringLiteral("+380501234567"));
    QCOMPARE(c.text(QStringLiteral("Label35")), QStringLiteral("13/14"));
    find<QPushButton>(QStringLiteral("Button18"))->click(); // "Сбросить телефоны"
    QCOMPARE(c.text(QStringLiteral("Label35")), counterText(int(c.text(QStringLiteral("Edit5")).size()), 14));
    c.setText(QStringLiteral("Edit12"), QStringLiteral("0123456789ABCDEF"));
    QCOMPARE(c.text(QStringLiteral("Label52")), QStringLiteral("16/16"));
    find<QPushButton>(QStringLiteral("Button16"))->click(); // "Сбросить кода ключей"
    QCOMPARE(c.text(QStringLiteral("Label52")), counterText(int(c.text(QStringLiteral("Edit12")).size()), 16));
    c.setText(QStringLiteral("Edit30"), QStringLiteral("X"));
    QCOMPARE(c.text(QStringLiteral("Label123")), QStringLiteral("1/11"));
    find<QPushButton>(QStringLiteral("Button17"))->click(); // "Сбросить тексты SMS к заводским"
    QCOMPARE(c.text(QStringLiteral("Label123")), QStringLiteral("6/11"));
}

void TestWindowRules::factoryDefaultsFromAChangedWindow()
{
    WidgetControls &c = m_form->controls();
    // Change everything the user can: every master on first, then every box ticked,
    // the last radio button of each set on, every list at its last item, new texts.
    for (const interlocks::MasterSwitch &m : interlocks::masterSwitches())
        c.setChecked(m.master, true);
    for (QCheckBox *box : m_form->findChildren<QCheckBox *>())
        box->setChecked(true);
    for (QRadioButton *radio : m_form->findChildren<QRadioButton *>())
        radio->setChecked(true);
    for (QComboBox *list : m_form->findChildren<QComboBox *>()) {
        if (list->objectName() != QLatin1String("ComboBox1"))
            list->setCurrentIndex(list->count() - 1);
    }
    QStringList kept;
    for (const EditBoxRule &rule : editBoxRules()) {
        c.setText(QLatin1String(rule.edit), QStringLiteral("12"));
        kept << QLatin1String(rule.edit);
    }
    c.setText(QStringLiteral("Edit1"), QStringLiteral("+380501112233"));
    const bool writeEnabled = find<QPushButton>(QStringLiteral("ButtWrite"))->isEnabled();
    for (const char *name : {"Edit32", "Edit36", "CheckBox71", "CheckBox110", "CheckBox119", "Label97"})
        QVERIFY2(c.enabled(QLatin1String(name)), name); // the masters' rules ran

    find<QPushButton>(QStringLiteral("Button1"))->click();

    QCOMPARE(factoryMismatches(c), QStringList());
    for (const FactoryValue &v : factoryValues()) {
        if (v.kind == FactoryValue::Text)
            kept.removeAll(v.name);
    }
    // The greyed thresholds show the factory values.
    QCOMPARE(c.text(QStringLiteral("Edit32")), QStringLiteral("7"));
    QCOMPARE(c.text(QStringLiteral("Edit33")), QStringLiteral("40"));
    QVERIFY(!c.enabled(QStringLiteral("Edit32")));
    QVERIFY(!c.enabled(QStringLiteral("Edit33")));
    QCOMPARE(find<QComboBox>(QStringLiteral("ComboBox22"))->currentText(), QStringLiteral("70 сек."));
    QCOMPARE(find<QComboBox>(QStringLiteral("ComboBox27"))->currentText(), QStringLiteral("9"));
    for (const char *master : {"CheckBox56", "CheckBox67", "CheckBox80", "CheckBox108", "CheckBox113"}) {
        for (const interlocks::MasterSwitch &m : interlocks::masterSwitches()) {
            if (m.master != QLatin1String(master))
                continue;
            for (const QString &d : m.dependents)
                QVERIFY2(!c.enabled(d), qPrintable(d));
        }
    }
    // Phone numbers, keys, SMS words and the GPRS page keep what they held.
    QCOMPARE(c.text(QStringLiteral("Edit1")), QStringLiteral("+380501112233"));
    for (const QString &name : kept) {
        if (name != QLatin1String("Edit1"))
            QVERIFY2(c.text(name) == QLatin1String("12"), qPrintable(name));
    }
    QVERIFY(c.checked(QStringLiteral("CheckBox57")));
    QCOMPARE(c.text(QStringLiteral("Label85")), QStringLiteral("4/4"));
    // Nothing sent, nothing shown, nothing else switched.
    QVERIFY(!m_form->channel().isOpen());
    QCOMPARE(find<QPushButton>(QStringLiteral("ButtWrite"))->isEnabled(), writeEnabled);
    QVERIFY(m_desktop->boxes.isEmpty());
}

// Each factory value named by the caption the user sees: a wrong control number in the
// table shows another caption.
void TestWindowRules::factoryValuesShowTheirCaptions_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption"); // a list's shown item, a button's text

    const struct { const char *name; const char *caption; } rows[] = {
        {"RadioButton32", "Выключен"},
        {"RadioButton35", "Роуминг разрешен"},
        {"RadioButton39", "Не выключать устройство"},
        {"ComboBox19", "20 сек."},
        {"ComboBox21", "10 сек."},
        {"ComboBox22", "70 сек."},
        {"ComboBox30", "90 сек."},
        {"ComboBox27", "9"},
        {"ComboBox2", "3 дозвона"},
        {"RadioButton42", "Не отправлять"},
        {"CheckBox68", "Вкл. DTMF"},
        {"CheckBox47", "Режим энергосбережения"},
        {"CheckBox80", "Вкл. проверку"},
        {"CheckBox76", "Отправка SMS"},
        {"CheckBox77", "Подтверждение "},
        {"RadioButton1", "Выключен"},
        {"RadioButton16", "Выключен"},
        {"ComboBox24", "0 сек."},
        {"ComboBox26", "0 сек."},
        {"RadioButton22", "Выход на сирену - с задержкой"},
        {"RadioButton25", "Выход на буззер"},
        {"RadioButton26", "SMS и DTMF управление"},
        {"RadioButton28", "SMS и DTMF управление"},
        {"RadioButton30", "SMS и DTMF управление"},
        {"ComboBox18", "0"},
        {"ComboBox20", "0"},
        {"CheckBox46", "Включить поддержку ключей Dallas"},
        {"CheckBox55", "Расширенный тип SMS сообщений"},
        {"CheckBox56", "Вкл. Термометр"},
        {"CheckBox108", "При тревожных"},
        {"CheckBox69", "Работать в режиме без охраны"},
    };
    for (const auto &row : rows)
        QTest::newRow(row.name) << QString::fromLatin1(row.name) << QString::fromUtf8(row.caption);
}

void TestWindowRules::factoryValuesShowTheirCaptions()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    auto found = std::find_if(factoryValues().begin(), factoryValues().end(),
                              [&name](const FactoryValue &v) { return v.name == name; });
    QVERIFY2(found != factoryValues().end(), "not among the factory values");
    find<QPushButton>(QStringLiteral("Button1"))->click();
    QCOMPARE(m_form->controls().text(name), caption);
}

QTEST_MAIN(TestWindowRules)
#include "tst_windowrules.moc"
