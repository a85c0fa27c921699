// The first four pages against their description: every control with its kind,
// start state, caption, hint, limit and items, typed in here rather than read back
// from the forms, so that an edit of a form that loses a text or a state shows up.

#include "tests/pages14/arrangement.h"
#include "tests/pages14/pagelayout.h"
#include "ui/windowfont.h"
#include "app/tform1.h"
#include "ui/keyfilters.h"
#include "ui/pagecontrol.h"
#include "ui/widgetcontrols.h"
#include "ui_tabsheet1.h"
#include "ui_tabsheet2.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

namespace {

enum class Kind { Check, Radio, Combo, Edit, Label, Counter, Group, Button };

struct Row
{
    QString name;
    Kind kind;
    QString container;   // the group box that holds it, or the page
    QString text;        // caption, title, label text, edit text or combo text
    QString tip;
    int state = 0;       // checked (0/1) for buttons, item index for lists
    bool enabled = true;
    int maxLength = -1;
    QStringList items;
    QString box;         // a counter's edit box
};

const QStringList kSeconds10 = {"0 сек.",  "10 сек.", "20 сек.", "30 сек.", "40 сек.",
                                "50 сек.", "60 сек.", "70 сек.", "80 сек.", "90 сек."};
const QStringList kSeconds30 = {"0 сек.",   "30 сек.",  "60 сек.",  "90 сек.",  "120 сек.",
                                "150 сек.", "180 сек.", "210 сек.", "240 сек.", "270 сек."};
const QStringList kDigits = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"};
const QStringList kMillis = {"0", "100", "200", "300", "400", "500", "600", "700", "800", "900"};
const QStringList kDials = {"Нет дозвона", "1 дозвон",   "2 дозвона",  "3 дозвона",  "4 дозвона",
                            "5 дозвонов",  "6 дозвонов", "7 дозвонов", "8 дозвонов", "9 дозвонов"};

Row row(const QString &name, Kind kind, const QString &in, const QString &text, const QString &tip)
{
    Row r;
    r.name = name;
    r.kind = kind;
    r.container = in;
    r.text = text;
    r.tip = tip;
    return r;
}
Row group(const QString &name, const QString &page, const QString &title, const QString &tip = {})
{
    return row(name, Kind::Group, page, title, tip);
}
Row label(const QString &name, const QString &in, const QString &text, bool enabled = true)
{
    Row r = row(name, Kind::Label, in, text, {});
    r.enabled = enabled;
    return r;
}
Row counter(const QString &name, const QString &in, const QString &text, const QString &box)
{
    Row r = row(name, Kind::Counter, in, text, {});
    r.box = box;
    return r;
}
Row check(const QString &name, const QString &in, const QString &text, bool on, const QString &tip = {})
{
    Row r = row(name, Kind::Check, in, text, tip);
    r.state = on;
    return r;
}
Row radio(const QString &name, const QString &in, const QString &text, bool on, const QString &tip = {})
{
    Row r = row(name, Kind::Radio, in, text, tip);
    r.state = on;
    return r;
}
Row edit(const QString &name, const QString &in, const QString &text, int max, const QString &tip = {},
         bool enabled = true)
{
    Row r = row(name, Kind::Edit, in, text, tip);
    r.maxLength = max;
    r.enabled = enabled;
    return r;
}
Row combo(const QString &name, const QString &in, const QStringList &items, int index, const QString &tip = {})
{
    Row r = row(name, Kind::Combo, in, items.value(index), tip);
    r.state = index;
    r.items = items;
    return r;
}

QString n(const char *pattern, int number)
{
    return QString::fromUtf8(pattern).arg(number);
}

std::vector<Row> page1()
{
    std::vector<Row> rows;
    const QString p = "TabSheet1";
    rows.push_back(group("GroupBox21", p, "Телефонные номера"));
    const char *rowLabels[] = {"Label24", "Label25", "Label28", "Label32", "Label34",
                               "Label36", "Label38", "Label40", "Label42"};
    const char *counters[] = {"Label127", "Label19", "Label29", "Label33", "Label35",
                              "Label37",  "Label39", "Label41", "Label43"};
    for (int i = 1; i <= 9; ++i) {
        rows.push_back(label(rowLabels[i - 1], "GroupBox21", QString::number(i)));
        rows.push_back(edit(n("Edit%1", i), "GroupBox21", "+380", 14, n("Номер %1-го абонента", i)));
        rows.push_back(counter(counters[i - 1], "GroupBox21", "0/14", n("Edit%1", i)));
    }

    rows.push_back(group("GroupBox19", p, "SMS-оповещение"));
    rows.push_back(label("Label1", "GroupBox19", "Тревога"));
    rows.push_back(label("Label26", "GroupBox19", "Постановка"));
    rows.push_back(label("Label18", "GroupBox19", "220 В"));
    rows.push_back(label("Label31", "GroupBox19", "АКБ"));
    rows.push_back(label("Label91", "GroupBox19", "Температура"));
    for (int i = 1; i <= 9; ++i) {
        rows.push_back(check(n("CheckBox%1", i), "GroupBox19", "", i == 1,
                             n("Отправка SMS о тревоге %1-му абоненту", i)));
        rows.push_back(check(n("CheckBox%1", 9 + i), "GroupBox19", "", i == 1,
                             n("Отправка SMS о постановке/снятии на охрану %1-му абоненту", i)));
        rows.push_back(check(n("CheckBox%1", 18 + i), "GroupBox19", "", i == 1,
                             n("Отправка SMS о пропадании внешнего питания %1-му абоненту", i)));
        const bool three = i == 1 || i == 3 || i == 6;
        rows.push_back(check(n("CheckBox%1", 27 + i), "GroupBox19", "", i == 1,
                             n(three ? "Отправка SMS о разряде АКБ   %1-му абоненту"
                                     : "Отправка SMS о разряде АКБ    %1-му абоненту", i)));
        rows.push_back(check(n("CheckBox%1", 36 + i), "GroupBox19", "", false,
                             n("Отправка SMS о превышении температурного порога %1-му абоненту", i)));
    }

    rows.push_back(group("GroupBox20", p, "   Постановка"));
    rows.push_back(label("Label45", "GroupBox20", "пустым звонком"));
    for (int i = 1; i <= 9; ++i)
        rows.push_back(check(n("CheckBox%1", 57 + i), "GroupBox20", "", false,
                             n("Постановка/снятие пустым звонком для %1-го абонента", i)));

    rows.push_back(check("CheckBox76", p, "Отправка SMS", true, "Отправка расшыреного SMS с состоянием системы"));
    rows.push_back(label("Label2", p, "в ответ на звонок"));
    rows.push_back(check("CheckBox77", p, "Подтверждение ", true, "Отправка SMS в ответ на SMS и DTMF-команды"));
    rows.push_back(label("Label3", p, "выполнения SMS"));
    rows.push_back(label("Label4", p, "команд"));
    rows.push_back(row("Button18", Kind::Button, p, "Сбросить телефоны", "Очистить номера телефонов в таблице"));
    return rows;
}

std::vector<Row> page2()
{
    std::vector<Row> rows;
    const QString p = "TabSheet2";
    rows.push_back(group("GroupBox18", p, "Детектор GSM-глушилок",
                         "При детектировании GSM-глушилок устройство может отправлять SMS и включать сирену"));
    rows.push_back(radio("RadioButton32", "GroupBox18", "Выключен", true));
    rows.push_back(radio("RadioButton33", "GroupBox18", "Работает отправка SMS ", false));
    rows.push_back(radio("RadioButton34", "GroupBox18", "Работает отправка SMS", false));
    rows.push_back(label("Label84", "GroupBox18", "и включение сирены"));

    rows.push_back(group("GroupBox22", p, "Функция Анти-Роуминг",
                         "Функция запрещае переход в GSM-соединения в роуминг. Актуально только для "
                         "приграничных районов!"));
    rows.push_back(radio("RadioButton35", "GroupBox22", "Роуминг разрешен", true));
    rows.push_back(radio("RadioButton36", "GroupBox22", "Запрещен, сеть \"Киевстар\" ", false));
    rows.push_back(radio("RadioButton37", "GroupBox22", "Запрещен, сеть \"МТС\"", false));
    rows.push_back(radio("RadioButton38", "GroupBox22", "Запрещен, сеть \"Life\"", false));

    rows.push_back(group("GroupBox23", p, "При разряде АКБ ниже 10,5В",
                         "Детектор разряда АКБ может выключить устройство при низком разряде АКБ"));
    rows.push_back(radio("RadioButton39", "GroupBox23", "Не выключать устройство", true));
    rows.push_back(radio("RadioButton40", "GroupBox23", "Выключать устройство ", false));
    rows.push_back(radio("RadioButton41", "GroupBox23", "Выключать устройство", false));
    rows.push_back(label("Label17", "GroupBox23", "и выключать силовые выходы"));

    rows.push_back(group("GroupBox14", p, "Временные параметры"));
    rows.push_back(label("Label81", "GroupBox14", "Постановка на охрану"));
    rows.push_back(combo("ComboBox19", "GroupBox14", kSeconds10, 2, "Время постановки на охрану"));
    rows.push_back(label("Label82", "GroupBox14", "Снятие с охраны"));
    rows.push_back(combo("ComboBox21", "GroupBox14", kSeconds10, 1, "Время снятия с охраны"));
    rows.push_back(label("Label83", "GroupBox14", "Работта сирены"));
    rows.push_back(combo("ComboBox22", "GroupBox14", kSeconds10, 6, "Время работы сирены"));

    rows.push_back(group("GroupBox17", p, "Функции микрофона"));
    rows.push_back(label("Label93", "GroupBox17", "Время прослушивания"));
    rows.push_back(combo("ComboBox30", "GroupBox17", kSeconds10, 9, "Время прослушивания звукового фона"));
    rows.push_back(label("Label90", "GroupBox17", "Чувствительность"));
    rows.push_back(combo("ComboBox27", "GroupBox17", kDigits, 9, "Чувствительность микрофона"));

    const QString dialTip = "Количество циклов дозвона всем абонентам при тревоге";
    rows.push_back(group("GroupBox1", p, "Количество попыток", dialTip));
    rows.push_back(label("Label7", "GroupBox1", "дозвона"));
    rows.push_back(combo("ComboBox2", "GroupBox1", kDials, 3, dialTip));

    rows.push_back(group("GroupBox29", p, "Автоматическое SMS о состоянии",
                         "Отправка SMS о состоянии системы каждые 24, 12, 6 или 3 часа."));
    rows.push_back(radio("RadioButton42", "GroupBox29", "Не отправлять", true));
    rows.push_back(radio("RadioButton43", "GroupBox29", "Отправлять раз в 12 часа", false));
    rows.push_back(radio("RadioButton44", "GroupBox29", "Отправлять раз в 24 часа", false));
    rows.push_back(radio("RadioButton45", "GroupBox29", "Отправлять раз в 3 дня", false));
    rows.push_back(radio("RadioButton46", "GroupBox29", "Отправлять раз в 7 дней", false));
    rows.push_back(radio("RadioButton47", "GroupBox29", "Отправлять раз в 14 дней", false));
    rows.push_back(radio("RadioButton48", "GroupBox29", "Отправлять раз в 30 дней", false));

    rows.push_back(check("CheckBox68", p, "Вкл. DTMF", true, "Функция детектирования тоновых сигналов DTMF "));
    rows.push_back(check("CheckBox47", p, "Режим энергосбережения", false,
                         "Данный режим рекомендуеться только для устройств с аккумуляторным питанием"));
    rows.push_back(label("Label88", p, "(не рекомендуется)"));

    rows.push_back(group("GroupBox27", p, "Проверка счета",
                         "Счет проверяеться каждый раз после использования  платной функции - отправка "
                         "исходящих SMS и звонка."));
    rows.push_back(check("CheckBox80", "GroupBox27", "Вкл. проверку", false));
    rows.push_back(label("Label10", "GroupBox27", "Код запроса", false));
    rows.push_back(label("Label9", "GroupBox27", "*", false));
    rows.push_back(edit("Edit36", "GroupBox27", "111", 3, {}, false));
    rows.push_back(label("Label8", "GroupBox27", "#", false));
    rows.push_back(label("Label11", "GroupBox27", "Минимальный баланс", false));
    rows.push_back(edit("Edit38", "GroupBox27", "10", 2, {}, false));
    rows.push_back(label("Label12", "GroupBox27", "грн.", false));

    rows.push_back(group("GroupBox16", p, "Пароль", "Пароль доступа в SMS командах."));
    rows.push_back(edit("Edit31", "GroupBox16", "7913", 4, "Пароль для SMS команд"));
    rows.push_back(counter("Label85", "GroupBox16", "0/4", "Edit31"));
    rows.push_back(label("Label86", "GroupBox16", "Только цифры!"));
    return rows;
}

std::vector<Row> page3()
{
    std::vector<Row> rows;
    const QString p = "TabSheet3";
    const struct { const char *box; const char *tip; int first; } inputs[] = {
        {"GroupBox2", "Режим работы входа №1", 1},  {"GroupBox4", "Режим работы входа №2", 4},
        {"GroupBox5", "Режим работы входа №3", 7},  {"GroupBox6", "Режим работа входа №4", 10},
        {"GroupBox7", "Режим работы входа №5", 13}, {"GroupBox8", "Режим работы входа №6", 16},
    };
    int input = 1;
    for (const auto &in : inputs) {
        const QString box = in.box;
        rows.push_back(group(box, p, n("Вход %1", input++), QString::fromUtf8(in.tip)));
        rows.push_back(radio(n("RadioButton%1", in.first), box, "Выключен", true));
        rows.push_back(radio(n("RadioButton%1", in.first + 1), box, "Работает на замыкание", false,
                             "Датчики типа - тревожная кнопка"));
        rows.push_back(radio(n("RadioButton%1", in.first + 2), box, "Работает на обрыв шлейфа", false,
                             "Датчики типа - Движения, Герконовые, Дыма и другие"));
    }
    rows.push_back(radio("RadioButton19", "GroupBox2", "Постановка на охрану - кнопка", false,
                         "Переводит Вход №1 как вход для постановки снятия устройства на охрану - кнопка"));
    rows.push_back(radio("RadioButton20", "GroupBox2", "Постановка на охрану - тумблер", false,
                         "Переводит Вход №1 как вход для постановки снятия устройства на охрану - тумблер"));
    rows.push_back(check("CheckBox48", "GroupBox4", "Работа в режиме без охраны", false));
    rows.push_back(check("CheckBox54", "GroupBox6", "Работа в режиме без охраны", false));
    const QString delayTip = "Включает задержку на вход  после постановки";
    rows.push_back(label("Label87", "GroupBox4", "Задержка при постановке на охрану"));
    rows.push_back(combo("ComboBox24", "GroupBox4", kSeconds30, 0, delayTip));
    rows.push_back(label("Label89", "GroupBox5", "Задержка при постановке на охрану"));
    rows.push_back(combo("ComboBox26", "GroupBox5", kSeconds30, 0, delayTip));
    return rows;
}

std::vector<Row> page4()
{
    std::vector<Row> rows;
    const QString p = "TabSheet4";
    auto smsDtmf = [](const char *name, const QString &box, int output, bool on) {
        return radio(name, box, "SMS и DTMF управление", on,
                     n("Выход %1 - управляеться при помощи SMS и DTMF-команд", output));
    };
    const QString sirenTip = "Выход 1 - работает как выход на сирену при срабатывании входов";
    rows.push_back(group("GroupBox9", p, "Выход 1"));
    rows.push_back(smsDtmf("RadioButton21", "GroupBox9", 1, false));
    rows.push_back(radio("RadioButton22", "GroupBox9", "Выход на сирену - с задержкой", true, sirenTip));
    rows.push_back(radio("RadioButton23", "GroupBox9", "Выход на сирену - без задержки", false, sirenTip));
    rows.push_back(check("CheckBox49", "GroupBox9", "Вкл. импульсный режим", false));
    rows.push_back(check("CheckBox78", "GroupBox9", "Подтверждение постановки сиреной", false));
    rows.push_back(label("Label5", "GroupBox9", "1 - звукой сигнал"));
    rows.push_back(check("CheckBox79", "GroupBox9", "Подверждение снятия  сиреной", false));
    rows.push_back(label("Label6", "GroupBox9", "2 - звукових сигнала"));

    rows.push_back(group("GroupBox10", p, "Выход 2"));
    rows.push_back(smsDtmf("RadioButton24", "GroupBox10", 2, false));
    rows.push_back(radio("RadioButton25", "GroupBox10", "Выход на буззер", true));
    rows.push_back(check("CheckBox50", "GroupBox10", "Вкл. импульсный режим", false));

    rows.push_back(group("GroupBox11", p, "Выход 3"));
    rows.push_back(smsDtmf("RadioButton26", "GroupBox11", 3, true));
    rows.push_back(radio("RadioButton27", "GroupBox11", "Выход термостата - нижний порог", false,
                         "Выход включаеться при пересечении нижнего температурного порога"));
    rows.push_back(check("CheckBox51", "GroupBox11", "Вкл. импульсный режим", false));

    rows.push_back(group("GroupBox12", p, "Выход 4"));
    rows.push_back(smsDtmf("RadioButton28", "GroupBox12", 4, true));
    rows.push_back(radio("RadioButton29", "GroupBox12", "Выход термостата - верхний порог", false,
                         "Выход включаеться при пересечении верхнего температурного порога"));
    rows.push_back(check("CheckBox52", "GroupBox12", "Вкл. импульсный режим", false));

    rows.push_back(group("GroupBox13", p, "Выход 5"));
    rows.push_back(smsDtmf("RadioButton30", "GroupBox13", 5, true));
    rows.push_back(radio("RadioButton31", "GroupBox13", "Выход управления питанием датчиков", false,
                         "Выход включеться при постановке на охрану и выключаеться при сняти с охраны"));
    rows.push_back(check("CheckBox53", "GroupBox13", "Вкл. импульсный режим", false));

    rows.push_back(group("GroupBox15", p, "Время паузы импульсного режима",
                         "Время импульса на выходах при активации режима импульсного выхода"));
    rows.push_back(label("Label78", "GroupBox15", "Секунды"));
    rows.push_back(combo("ComboBox18", "GroupBox15", kDigits, 0));
    rows.push_back(label("Label80", "GroupBox15", "+"));
    rows.push_back(label("Label79", "GroupBox15", "Милисикунды"));
    rows.push_back(combo("ComboBox20", "GroupBox15", kMillis, 0));
    return rows;
}

std::vector<Row> allRows()
{
    std::vector<Row> rows;
    for (auto part : {page1(), page2(), page3(), page4()})
        rows.insert(rows.end(), part.begin(), part.end());
    return rows;
}

const char *className(Kind kind)
{
    switch (kind) {
    case Kind::Check: return "QCheckBox";
    case Kind::Radio: return "QRadioButton";
    case Kind::Combo: return "QComboBox";
    case Kind::Edit: return "QLineEdit";
    case Kind::Label:
    case Kind::Counter: return "QLabel";
    case Kind::Group: return "QGroupBox";
    case Kind::Button: return "QPushButton";
    }
    return "";
}

// The radio sets of these pages, each the whole content of its group box.
const QList<QStringList> kRadioSets = {
    {"RadioButton32", "RadioButton33", "RadioButton34"},
    {"RadioButton35", "RadioButton36", "RadioButton37", "RadioButton38"},
    {"RadioButton39", "RadioButton40", "RadioButton41"},
    {"RadioButton42", "RadioButton43", "RadioButton44", "RadioButton45", "RadioButton46", "RadioButton47",
     "RadioButton48"},
    {"RadioButton1", "RadioButton2", "RadioButton3", "RadioButton19", "RadioButton20"},
    {"RadioButton4", "RadioButton5", "RadioButton6"},
    {"RadioButton7", "RadioButton8", "RadioButton9"},
    {"RadioButton10", "RadioButton11", "RadioButton12"},
    {"RadioButton13", "RadioButton14", "RadioButton15"},
    {"RadioButton16", "RadioButton17", "RadioButton18"},
    {"RadioButton21", "RadioButton22", "RadioButton23"},
    {"RadioButton24", "RadioButton25"},
    {"RadioButton26", "RadioButton27"},
    {"RadioButton28", "RadioButton29"},
    {"RadioButton30", "RadioButton31"},
};

const char *const kTenItemLists[] = {"ComboBox19", "ComboBox21", "ComboBox22", "ComboBox30", "ComboBox27",
                                     "ComboBox2",  "ComboBox24", "ComboBox26", "ComboBox18", "ComboBox20"};

const char *const kPages[] = {"TabSheet1", "TabSheet2", "TabSheet3", "TabSheet4"};

// QTest::keyClicks knows Latin only; the dial list's items are Cyrillic.
void type(QWidget *w, const QString &text)
{
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

} // namespace

Q_DECLARE_METATYPE(Kind)

class TestPages14 : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void control_data();
    void control();
    void formsStoreTheCountersStartTexts();
    void everyRadioOfThePagesIsInTheTable();
    void radioSwitchesOffOnlyItsOwnSet_data();
    void radioSwitchesOffOnlyItsOwnSet();
    void typedTextInTheDialListSelectsNothing();
    void choosingFromTheDialListGivesTheIndex();
    void dialListShowsWhatWasTyped_data();
    void dialListShowsWhatWasTyped();
    void indexPastTheListLeavesItBlank_data();
    void indexPastTheListLeavesItBlank();
    void captionsFitTheirWidgets_data();
    void captionsFitTheirWidgets();
    void widgetsStayInsideTheirParentsWithoutOverlap_data();
    void widgetsStayInsideTheirParentsWithoutOverlap();
    void subscriberRowsLineUpAcrossThePage();
    void arrangement_data();
    void arrangement();

private:
    QWidget *find(const QString &name) const
    {
        return m_form->findChild<QWidget *>(name);
    }

    QTemporaryDir m_dir;
    std::unique_ptr<TForm1> m_form;
};

void TestPages14::initTestCase()
{
    useWindowFont();
}

void TestPages14::init()
{
    m_form = std::make_unique<TForm1>(PortMap(m_dir.path(), {}));
}

void TestPages14::cleanup()
{
    m_form.reset();
}

void TestPages14::control_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QString>("container");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("tip");
    QTest::addColumn<int>("state");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<int>("maxLength");
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<QString>("box");
    for (const Row &r : allRows()) {
        QTest::newRow(qPrintable(r.name)) << r.name << r.kind << r.container << r.text << r.tip << r.state
                                          << r.enabled << r.maxLength << r.items << r.box;
    }
}

void TestPages14::control()
{
    QFETCH(QString, name);
    QFETCH(Kind, kind);
    QFETCH(QString, container);
    QFETCH(QString, text);
    QFETCH(QString, tip);
    QFETCH(int, state);
    QFETCH(bool, enabled);
    QFETCH(int, maxLength);
    QFETCH(QStringList, items);
    QFETCH(QString, box);

    const auto matches = m_form->findChildren<QWidget *>(name);
    QCOMPARE(matches.size(), 1);
    QWidget *w = matches.first();
    QCOMPARE(QString::fromLatin1(w->metaObject()->className()), QString::fromLatin1(className(kind)));
    QVERIFY(w->parentWidget());
    QCOMPARE(w->parentWidget()->objectName(), container);
    QCOMPARE(w->toolTip(), tip);
    QCOMPARE(w->isEnabled(), enabled);
    QVERIFY(!w->isHidden());

    switch (kind) {
    case Kind::Check:
    case Kind::Radio:
    case Kind::Button: {
        auto *b = static_cast<QAbstractButton *>(w);
        QCOMPARE(b->text(), text);
        if (kind != Kind::Button)
            QCOMPARE(int(b->isChecked()), state);
        break;
    }
    case Kind::Combo: {
        auto *c = static_cast<QComboBox *>(w);
        QStringList actual;
        for (int i = 0; i < c->count(); ++i)
            actual << c->itemText(i);
        QCOMPARE(actual, items);
        QCOMPARE(c->currentIndex(), state);
        QCOMPARE(c->currentText(), text);
        // Only the dial-attempt list takes typed text, and never into the list.
        QCOMPARE(c->isEditable(), name == QLatin1String("ComboBox2"));
        if (c->isEditable())
            QCOMPARE(c->insertPolicy(), QComboBox::NoInsert);
        break;
    }
    case Kind::Edit: {
        auto *e = static_cast<QLineEdit *>(w);
        QCOMPARE(e->text(), text);
        QCOMPARE(e->maxLength(), maxLength);
        QCOMPARE(typedLimit(e), maxLength);
        break;
    }
    case Kind::Label:
    case Kind::Counter: {
        auto *l = static_cast<QLabel *>(w);
        if (kind == Kind::Counter) {
            // The forms store "0/14"; the window's counters show what their box holds
            // from the start (see formsStoreTheCountersStartTexts).
            auto *edit = m_form->findChild<QLineEdit *>(box);
            QVERIFY(edit);
            QCOMPARE(l->text(), QStringLiteral("%1/%2").arg(edit->text().size()).arg(text.section('/', 1)));
        } else {
            QCOMPARE(l->text(), text);
        }
        const QColor blue(0, 0, 255);
        const QColor active = l->palette().color(QPalette::Active, QPalette::WindowText);
        const QColor inactive = l->palette().color(QPalette::Inactive, QPalette::WindowText);
        if (kind == Kind::Counter) {
            QCOMPARE(active, blue);
            QCOMPARE(inactive, blue);
            QVERIFY(l->styleSheet().isEmpty());
        } else {
            QVERIFY(active != blue);
        }
        break;
    }
    case Kind::Group:
        QCOMPARE(static_cast<QGroupBox *>(w)->title(), text);
        QVERIFY(!static_cast<QGroupBox *>(w)->isCheckable());
        break;
    }
}

void TestPages14::formsStoreTheCountersStartTexts()
{
    // The pages as stored, without the window's rules: counters read zero although
    // the phone boxes hold "+380" and the password box "7913".
    QWidget page1;
    Ui::TabSheet1 sheet1;
    sheet1.setupUi(&page1);
    for (QLabel *counter : {sheet1.Label127, sheet1.Label19, sheet1.Label29, sheet1.Label33, sheet1.Label35,
                            sheet1.Label37, sheet1.Label39, sheet1.Label41, sheet1.Label43})
        QCOMPARE(counter->text(), QStringLiteral("0/14"));
    QCOMPARE(sheet1.Edit1->text(), QStringLiteral("+380"));
    QWidget page2;
    Ui::TabSheet2 sheet2;
    sheet2.setupUi(&page2);
    QCOMPARE(sheet2.Label85->text(), QStringLiteral("0/4"));
    QCOMPARE(sheet2.Edit31->text(), QStringLiteral("7913"));
}

void TestPages14::everyRadioOfThePagesIsInTheTable()
{
    // A stray radio button in a set would take part in its exclusivity unseen.
    QStringList inSets;
    for (const QStringList &set : kRadioSets)
        inSets << set;
    QStringList onPages;
    for (const char *pageName : kPages) {
        QWidget *page = find(QLatin1String(pageName));
        QVERIFY(page);
        for (QRadioButton *r : page->findChildren<QRadioButton *>())
            onPages << r->objectName();
    }
    inSets.sort();
    onPages.sort();
    QCOMPARE(onPages, inSets);
    for (const QStringList &set : kRadioSets) {
        QWidget *box = find(set.first())->parentWidget();
        QCOMPARE(box->findChildren<QRadioButton *>().size(), set.size());
    }
}

void TestPages14::radioSwitchesOffOnlyItsOwnSet_data()
{
    QTest::addColumn<QString>("radio");
    for (const QStringList &set : kRadioSets) {
        for (const QString &name : set)
            QTest::newRow(qPrintable(name)) << name;
    }
}

void TestPages14::radioSwitchesOffOnlyItsOwnSet()
{
    QFETCH(QString, radio);
    QStringList set;
    QHash<QString, bool> before;
    for (const QStringList &s : kRadioSets) {
        if (s.contains(radio))
            set = s;
        for (const QString &name : s)
            before.insert(name, m_form->controls().checked(name));
    }
    // Start from a set whose switched-on button is not the one under test.
    if (before.value(radio)) {
        const QString other = set.at(set.indexOf(radio) == 0 ? 1 : 0);
        m_form->controls().setChecked(other, true);
        for (const QString &name : set)
            before[name] = name == other;
    }

    m_form->controls().setChecked(radio, true);

    for (auto it = before.cbegin(); it != before.cend(); ++it) {
        const bool expected = it.key() == radio ? true : set.contains(it.key()) ? false : it.value();
        QVERIFY2(m_form->controls().checked(it.key()) == expected, qPrintable(it.key()));
    }
}

void TestPages14::typedTextInTheDialListSelectsNothing()
{
    auto *box = m_form->control<QComboBox>("ComboBox2");
    QVERIFY(box && box->lineEdit());
    QCOMPARE(box->currentIndex(), 3);
    QSignalSpy indexChanges(box, &QComboBox::currentIndexChanged);

    box->lineEdit()->selectAll();
    type(box->lineEdit(), QStringLiteral("12 раз"));
    QCOMPARE(box->currentIndex(), -1);
    QCOMPARE(box->currentText(), QStringLiteral("12 раз"));
    QCOMPARE(m_form->controls().index("ComboBox2"), -1);
    QCOMPARE(indexChanges.size(), 1);

    // Enter and leaving the box do not put the text into the list.
    QTest::keyClick(box->lineEdit(), Qt::Key_Return);
    emit box->lineEdit()->editingFinished();
    QCOMPARE(box->count(), 10);
    QCOMPARE(box->findText(QStringLiteral("12 раз")), -1);
    QCOMPARE(box->currentIndex(), -1);
    QCOMPARE(box->currentText(), QStringLiteral("12 раз"));

    // Editing the text of the selected item also leaves no item selected.
    m_form->controls().setIndex("ComboBox2", 5);
    QCOMPARE(box->currentText(), QStringLiteral("5 дозвонов"));
    box->lineEdit()->end(false);
    QTest::keyClick(box->lineEdit(), Qt::Key_Backspace);
    QCOMPARE(box->currentText(), QStringLiteral("5 дозвоно"));
    QCOMPARE(box->currentIndex(), -1);
    QCOMPARE(box->count(), 10);
}

void TestPages14::choosingFromTheDialListGivesTheIndex()
{
    auto *box = m_form->control<QComboBox>("ComboBox2");
    box->lineEdit()->selectAll();
    QTest::keyClicks(box->lineEdit(), QStringLiteral("abc"));
    QCOMPARE(box->currentIndex(), -1);
    // A choice from the list, as the drop-down reports it.
    box->setCurrentIndex(7);
    emit box->activated(7);
    QCOMPARE(m_form->controls().index("ComboBox2"), 7);
    QCOMPARE(box->currentText(), QStringLiteral("7 дозвонов"));
    QCOMPARE(box->count(), 10);
}

// The box's text and its value never disagree: nothing is completed into the box
// behind the user's back, and an item index comes only with that item's whole text.
void TestPages14::dialListShowsWhatWasTyped_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("index");
    QTest::newRow("start of an item") << QStringLiteral("5") << -1;
    QTest::newRow("start of an item, other case") << QStringLiteral("нет") << -1;
    QTest::newRow("longer start of an item") << QStringLiteral("7 дозв") << -1;
    QTest::newRow("no item") << QStringLiteral("12 раз") << -1;
    QTest::newRow("whole item") << QStringLiteral("6 дозвонов") << 6;
}

void TestPages14::dialListShowsWhatWasTyped()
{
    QFETCH(QString, typed);
    QFETCH(int, index);
    auto *box = m_form->control<QComboBox>("ComboBox2");
    QVERIFY(box && box->lineEdit());
    // As the user meets it: on its page, in a shown window, with the focus.
    m_form->pageControl()->setCurrentIndex(1);
    m_form->show();
    QApplication::setActiveWindow(m_form.get());
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    box->lineEdit()->setFocus();
    QTRY_VERIFY(box->lineEdit()->hasFocus());
    box->lineEdit()->selectAll();
    type(box->lineEdit(), typed);
    QCOMPARE(box->currentText(), typed);
    QCOMPARE(box->lineEdit()->selectedText(), QString());
    QCOMPARE(m_form->controls().index("ComboBox2"), index);

    // Enter leaves both as they are.
    QTest::keyClick(box->lineEdit(), Qt::Key_Return);
    QCOMPARE(box->currentText(), typed);
    QCOMPARE(m_form->controls().index("ComboBox2"), index);
    QCOMPARE(box->count(), 10);
}

void TestPages14::indexPastTheListLeavesItBlank_data()
{
    QTest::addColumn<QString>("list");
    QTest::addColumn<int>("index");
    for (const char *name : kTenItemLists) {
        QTest::newRow(qPrintable(QStringLiteral("%1 at 10").arg(QLatin1String(name)))) << QString::fromLatin1(name) << 10;
        QTest::newRow(qPrintable(QStringLiteral("%1 at -1").arg(QLatin1String(name)))) << QString::fromLatin1(name) << -1;
    }
}

void TestPages14::indexPastTheListLeavesItBlank()
{
    QFETCH(QString, list);
    QFETCH(int, index);
    auto *box = m_form->findChild<QComboBox *>(list);
    QVERIFY(box);
    QCOMPARE(box->count(), 10);
    QVERIFY(box->currentIndex() >= 0);
    m_form->controls().setIndex(list, index);
    QCOMPARE(m_form->controls().index(list), -1);
    QCOMPARE(box->currentIndex(), -1);
    QCOMPARE(box->currentText(), QString());
    QCOMPARE(box->count(), 10);
    // A valid index afterwards selects normally again.
    m_form->controls().setIndex(list, 9);
    QCOMPARE(box->currentIndex(), 9);
}

void TestPages14::captionsFitTheirWidgets_data()
{
    QTest::addColumn<QString>("page");
    for (const char *page : kPages)
        QTest::newRow(page) << QString::fromLatin1(page);
}

void TestPages14::captionsFitTheirWidgets()
{
    QFETCH(QString, page);
    QWidget *sheet = find(page);
    QVERIFY(sheet);
    for (QWidget *w : sheet->findChildren<QWidget *>()) {
        if (w->objectName().isEmpty() || w->objectName().startsWith(QLatin1String("qt_")))
            continue;
        int needed = 0;
        if (auto *b = qobject_cast<QAbstractButton *>(w))
            needed = b->sizeHint().width();
        else if (auto *l = qobject_cast<QLabel *>(w))
            needed = l->sizeHint().width();
        else if (auto *c = qobject_cast<QComboBox *>(w))
            needed = c->sizeHint().width();
        else if (auto *g = qobject_cast<QGroupBox *>(w))
            needed = g->fontMetrics().horizontalAdvance(g->title()) + 16;
        else
            continue;
        QVERIFY2(needed <= w->width(),
                 qPrintable(QStringLiteral("%1 needs %2 px, has %3").arg(w->objectName()).arg(needed).arg(w->width())));
        if (auto *l = qobject_cast<QLabel *>(w))
            QVERIFY2(l->sizeHint().height() <= l->height(), qPrintable(w->objectName()));
    }
}

void TestPages14::widgetsStayInsideTheirParentsWithoutOverlap_data()
{
    captionsFitTheirWidgets_data();
}

void TestPages14::widgetsStayInsideTheirParentsWithoutOverlap()
{
    QFETCH(QString, page);
    QWidget *sheet = find(page);
    QVERIFY(sheet);
    QCOMPARE(sheet->size(), pagelayout::kPageRoom.size());
    const QStringList faults = pagelayout::placementFaults(sheet);
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1String("; "))));
}

void TestPages14::subscriberRowsLineUpAcrossThePage()
{
    // Row n is subscriber n in all three groups, 32 px apart.
    auto centreY = [this](const QString &name) {
        QWidget *w = find(name);
        return w->mapTo(find(QStringLiteral("TabSheet1")), w->rect().center()).y();
    };
    const int first = centreY(QStringLiteral("Edit1"));
    for (int row = 1; row <= 9; ++row) {
        const int expected = first + (row - 1) * 32;
        for (const QString &name : {QStringLiteral("Edit%1").arg(row), QStringLiteral("CheckBox%1").arg(row),
                                    QStringLiteral("CheckBox%1").arg(36 + row),
                                    QStringLiteral("CheckBox%1").arg(57 + row)})
            QVERIFY2(qAbs(centreY(name) - expected) <= 2, qPrintable(name));
    }
    // Columns left to right in the order of their events.
    const char *columns[] = {"CheckBox1", "CheckBox10", "CheckBox19", "CheckBox28", "CheckBox37", "CheckBox58"};
    int lastX = -1;
    for (const char *name : columns) {
        QWidget *w = find(QLatin1String(name));
        const int x = w->mapTo(find(QStringLiteral("TabSheet1")), QPoint()).x();
        QVERIFY2(x > lastX, name);
        lastX = x;
    }
}

void TestPages14::arrangement_data()
{
    using arrangement::Relation;
    const arrangement::Pair pairs[] = {
        // Page 1: phones, SMS grid, empty-call column, then two options over a button.
        {"GroupBox21", Relation::LeftOf, "GroupBox19"},
        {"GroupBox19", Relation::LeftOf, "GroupBox20"},
        {"GroupBox20", Relation::LeftOf, "CheckBox76"},
        {"CheckBox76", Relation::Above, "CheckBox77"},
        {"Label4", Relation::Above, "Button18"},
        {"CheckBox76", Relation::Continues, "Label2"},
        {"CheckBox77", Relation::Continues, "Label3"},
        {"Label3", Relation::Continues, "Label4"},
        {"GroupBox20", Relation::Continues, "Label45"},
        {"Label1", Relation::Above, "CheckBox1"},
        {"Label26", Relation::Above, "CheckBox10"},
        {"Label18", Relation::Above, "CheckBox19"},
        {"Label31", Relation::Above, "CheckBox28"},
        {"Label91", Relation::Above, "CheckBox37"},
        {"Label45", Relation::Above, "CheckBox58"},
        {"Label24", Relation::Beside, "Edit1"},
        {"Edit1", Relation::Beside, "Label127"},
        {"Label42", Relation::Beside, "Edit9"},
        {"Edit9", Relation::Beside, "Label43"},
        // Page 2: four columns.
        {"GroupBox18", Relation::Above, "GroupBox22"},
        {"GroupBox22", Relation::Above, "GroupBox23"},
        {"GroupBox14", Relation::Above, "GroupBox17"},
        {"GroupBox1", Relation::Above, "GroupBox29"},
        {"CheckBox68", Relation::Above, "CheckBox47"},
        {"Label88", Relation::Above, "GroupBox27"},
        {"GroupBox27", Relation::Above, "GroupBox16"},
        {"GroupBox18", Relation::LeftOf, "GroupBox14"},
        {"GroupBox14", Relation::LeftOf, "GroupBox1"},
        {"GroupBox1", Relation::LeftOf, "GroupBox27"},
        {"RadioButton34", Relation::Continues, "Label84"},
        {"RadioButton41", Relation::Continues, "Label17"},
        {"CheckBox47", Relation::Continues, "Label88"},
        {"GroupBox1", Relation::Continues, "Label7"},
        {"Label7", Relation::Above, "ComboBox2"},
        {"Label81", Relation::Above, "ComboBox19"},
        {"Label82", Relation::Above, "ComboBox21"},
        {"Label83", Relation::Above, "ComboBox22"},
        {"Label93", Relation::Above, "ComboBox30"},
        {"Label90", Relation::Above, "ComboBox27"},
        {"Label10", Relation::Above, "Edit36"},
        {"Label9", Relation::Beside, "Edit36"},
        {"Edit36", Relation::Beside, "Label8"},
        {"Label11", Relation::Above, "Edit38"},
        {"Edit38", Relation::Beside, "Label12"},
        {"Edit31", Relation::Beside, "Label85"},
        {"Edit31", Relation::Above, "Label86"},
        // Page 3: inputs 1 to 3 over inputs 4 to 6.
        {"GroupBox2", Relation::LeftOf, "GroupBox4"},
        {"GroupBox4", Relation::LeftOf, "GroupBox5"},
        {"GroupBox6", Relation::LeftOf, "GroupBox7"},
        {"GroupBox7", Relation::LeftOf, "GroupBox8"},
        {"GroupBox2", Relation::Above, "GroupBox6"},
        {"GroupBox4", Relation::Above, "GroupBox7"},
        {"GroupBox5", Relation::Above, "GroupBox8"},
        {"Label87", Relation::Above, "ComboBox24"},
        {"Label89", Relation::Above, "ComboBox26"},
        // Page 4: output 1 over 2, outputs 3 to 5, then the pause.
        {"GroupBox9", Relation::Above, "GroupBox10"},
        {"GroupBox9", Relation::LeftOf, "GroupBox11"},
        {"GroupBox11", Relation::Above, "GroupBox12"},
        {"GroupBox12", Relation::Above, "GroupBox13"},
        {"GroupBox11", Relation::LeftOf, "GroupBox15"},
        {"CheckBox78", Relation::Continues, "Label5"},
        {"CheckBox79", Relation::Continues, "Label6"},
        {"Label78", Relation::Above, "ComboBox18"},
        {"Label79", Relation::Above, "ComboBox20"},
        {"ComboBox18", Relation::Beside, "Label80"},
        {"Label80", Relation::Beside, "ComboBox20"},
    };
    arrangement::addRows(pairs);
}

void TestPages14::arrangement()
{
    QFETCH(QString, a);
    QFETCH(arrangement::Relation, relation);
    QFETCH(QString, b);
    const QString wrong = arrangement::checkNamed(m_form.get(), a, relation, b);
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
}

QTEST_MAIN(TestPages14)
#include "tst_pages14.moc"
