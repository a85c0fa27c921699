// Pages "Ключи Dallas", "Тексты SMS", "GPRS-канал", "Термометр", "Звуковые сообщения"
// and "GSM-домофон" as the live window builds them: every control's name, kind, start
// state, caption and hint, and the arrangement a user relies on (rows line up, counters
// sit beside their boxes, nothing is clipped).
//
// The expected values are typed in here on purpose rather than read from the forms, so
// that an edit of a form in Designer cannot silently change what the window shows.

#include "tests/pages14/arrangement.h"
#include "tests/pages14/pagelayout.h"
#include "ui/windowfont.h"
#include "app/tform1.h"
#include "ui_tabsheet5.h"
#include "ui_tabsheet9.h"
#include "link/portmap.h"
#include "ui/keyfilters.h"
#include "ui/pagecontrol.h"
#include "ui/widgetcontrols.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

namespace {

enum Check { NoCheck = -1, Off = 0, On = 1 };

struct Row
{
    const char *page;
    QByteArray name;
    const char *kind;
    QString text;  // caption, label text, edit text or group-box title
    QString hint;
    int checked = NoCheck;
    bool enabled = true;
    bool visible = true;
    int maxLength = -1;
    bool counter = false;  // a length counter: its text is the rules' once the window runs
};

QString u(const char *s)
{
    return QString::fromUtf8(s);
}

Row label(const char *page, const char *name, const char *text, bool enabled = true)
{
    return {page, name, "QLabel", u(text), QString(), NoCheck, enabled};
}

Row check(const char *page, const char *name, const char *text, int on, bool enabled = true,
          const char *hint = "")
{
    return {page, name, "QCheckBox", u(text), u(hint), on, enabled};
}

Row edit(const char *page, const char *name, const char *text, int maxLength, bool enabled = true,
         const char *hint = "")
{
    return {page, name, "QLineEdit", u(text), u(hint), NoCheck, enabled, true, maxLength};
}

Row button(const char *page, const char *name, const char *text, const char *hint, bool visible = true)
{
    return {page, name, "QPushButton", u(text), u(hint), NoCheck, true, visible};
}

Row counter(const char *page, const char *name, const char *start)
{
    Row r = label(page, name, start);
    r.counter = true;
    return r;
}

Row group(const char *page, const char *name, const char *title, const char *hint)
{
    return {page, name, "QGroupBox", u(title), u(hint)};
}

// Every control of the six pages with its start state.
std::vector<Row> expectedControls()
{
    std::vector<Row> rows;
    auto add = [&rows](Row r) { rows.push_back(std::move(r)); };

    // "Ключи Dallas"
    const char *p5 = "TabSheet5";
    add(label(p5, "Label46", "Код ключа Dallas"));
    const char *keyRowLabels[] = {"Label47", "Label49", "Label51", "Label53", "Label55",
                                  "Label57", "Label59", "Label61", "Label63"};
    const char *keyEdits[] = {"Edit10", "Edit11", "Edit12", "Edit13", "Edit14",
                              "Edit15", "Edit16", "Edit17", "Edit18"};
    const char *keyCounters[] = {"Label48", "Label50", "Label52", "Label54", "Label56",
                                 "Label58", "Label60", "Label62", "Label64"};
    const char *digits[] = {"1", "2", "3", "4", "5", "6", "7", "8", "9"};
    for (int i = 0; i < 9; ++i) {
        add(label(p5, keyRowLabels[i], digits[i]));
        const QByteArray hint = "Цифровой код " + QByteArray::number(i + 1) + "-го ключа";
        add(edit(p5, keyEdits[i], "", 16, true, hint.constData()));
        add(counter(p5, keyCounters[i], "0/16"));
    }
    add(label(p5, "Label111",
              "Примечание: Только цифры ( 0-9 ) и \"высокие\" буквы на англ. ( A, B, C, D, E, F ). Всего 16 символов."));
    add(check(p5, "CheckBox46", "Включить поддержку ключей Dallas", On));
    add(button(p5, "Button16", "Сбросить кода ключей", "Обнулить кода всех ключей в таблице"));
    add(group(p5, "GroupBox30", "", "Частичная постановка на охрану"));
    add(check(p5, "CheckBox113", "Вкл. Частичную постановку на охрану", Off, true,
              "Вкл. Частичная постановка на охрану"));
    add(label(p5, "Label21", "входов на охрану"));
    add(check(p5, "CheckBox114", "Вкл. Вход 2", Off, false));
    add(check(p5, "CheckBox115", "Вкл. Вход 3", Off, false));
    add(check(p5, "CheckBox116", "Вкл. Вход 4", Off, false));
    add(check(p5, "CheckBox117", "Вкл. Вход 5", Off, false));
    add(check(p5, "CheckBox118", "Вкл. Вход 6", Off, false));
    add(check(p5, "CheckBox119", "Включать сирену", Off, false));

    // "Тексты SMS"
    const char *p9 = "TabSheet9";
    struct Sms { const char *label, *caption, *edit, *text, *hint, *counter; };
    const Sms sms[] = {
        {"Label65", "Название прибора", "Edit19", "TVX4", "Название прибора в текстах SMS сообщениий от устройства", "Label112"},
        {"Label66", "Режим охраны", "Edit20", "Ohrana", "Название режима Под охраной в текстах SMS сообщений от устройства", "Label113"},
        {"Label67", "Внешнее питание", "Edit21", "220V", "Название внешнего питания в текстах SMS сообщениий от устройства", "Label114"},
        {"Label68", "Аккумулятор", "Edit22", "AKB", "Название АКБ в текстах SMS сообщениий от устройства", "Label115"},
        {"Label69", "Температура", "Edit23", "Temp.", "Обозначение температуры в текстах SMS сообщениий от устройства", "Label116"},
        {"Label70", "Тревога", "Edit24", "Alarm!", "Обозначение тревоги в текстах SMS сообщениий от устройства", "Label117"},
        {"Label71", "Вход 1", "Edit25", "Input1", "Текстовое обозначение Входа 1 в текстах SMS сообщениий от устройства", "Label118"},
        {"Label72", "Вход 2", "Edit26", "Input2", "Текстовое обозначение Входа 2 в текстах SMS сообщениий от устройства", "Label119"},
        {"Label73", "Вход 3", "Edit27", "Input3", "Текстовое обозначение Входа 3 в текстах SMS сообщениий от устройства", "Label120"},
        {"Label74", "Вход 4", "Edit28", "Input4", "Текстовое обозначение Входа 4 в текстах SMS сообщениий от устройства", "Label121"},
        {"Label75", "Вход 5", "Edit29", "Input5", "Текстовое обозначение Входа 5 в текстах SMS сообщениий от устройства", "Label122"},
        {"Label76", "Вход 6", "Edit30", "Input6", "Текстовое обозначение Входа 6 в текстах SMS сообщениий от устройства", "Label123"},
    };
    for (const Sms &s : sms) {
        add(label(p9, s.label, s.caption));
        add(edit(p9, s.edit, s.text, 11, true, s.hint));
        add(counter(p9, s.counter, "0/11"));
    }
    add(label(p9, "Label77",
              "Примечание: Только Англиские буквы, цифры и другие символы. Не более 11 символов."));
    add(check(p9, "CheckBox55", "Расширенный тип SMS сообщений", Off, true,
              "Любое SMS-будет приходить с полным перечнем параметров состояния системы"));
    add(button(p9, "Button17", "Сбросить тексты SMS к заводским", "Установить заводские тексты SMS"));

    // "GPRS-канал"
    const char *p8 = "TabSheet8";
    add(label(p8, "Label92", "Точка доступа Интернет для SIM-карты"));
    add(edit(p8, "Edit34", "www.ab.kyivstar.net", 50, true,
             "Точка доступа GPRS-интернет оператора сотой связи"));
    add(button(p8, "Button2", "Киевстар", "Стандартная точка доступа Интрент для оператора \"Киевстар\""));
    add(button(p8, "Button3", "МТС", "Стандартная точка доступа Интрент для оператора \"МТС\""));
    add(button(p8, "Button4", "Life", "Стандартная точка доступа Интрент для оператора \"Life\""));
    add(button(p8, "Button5", "3моб", "Стандартная точка доступа Интрент для оператора \"3моб\"", false));
    add(button(p8, "Button9", "Настройки Интернет по умолчанию", "Раздел находиться в разработке"));
    add(label(p8, "Label125",
              "Примечание: Точка доступа Интернет, Адрес сервера, Номер Порта - Только Английские буквы и цифры."));
    add(group(p8, "GroupBox25", "", "Раздел находиться в разработке"));
    add(check(p8, "CheckBox57", "Передавать данные на сервер", On));
    add(label(p8, "Label94", "Адрес сервера :", false));
    add(edit(p8, "Edit35", "203.0.113.100", 50, false, "Доменое имя или IP-адрес"));
    add(label(p8, "Label109", "Номер порта :", false));
    add(edit(p8, "Edit40", "22222", 8, false, "Номер порта сервера для связи"));
    add(label(p8, "Label95", "Время передачи, секунды :", false));
    add(edit(p8, "Edit37", "180", 3, false));

    // "Термометр"
    const char *p7 = "TabSheet7";
    add(group(p7, "GroupBox24", "",
              "Для использования функции должен быть подключен цыфровой датчик температуры"));
    add(check(p7, "CheckBox56", "Вкл. Термометр", Off));
    add(label(p7, "Label23", "Нижний порог", false));
    add(edit(p7, "Edit32", "07", 2, false, "Нижний пород от +0 до +90 С"));
    add(label(p7, "Label30", "градусов, С", false));
    add(label(p7, "Label27", "Верхний порог", false));
    add(edit(p7, "Edit33", "40", 2, false, "Верхний порог от +0 до +90 С"));
    add(label(p7, "Label44", "градусов, С", false));

    // "Звуковые сообщения"
    const char *p11 = "TabSheet11";
    add(group(p11, "GroupBox28", "Оповещать голосом при звонках",
              "Голосовые сообщения нужно предварительно записать в память прибора"));
    add(check(p11, "CheckBox108", "При тревожных", Off));
    add(label(p11, "Label104", "звонках"));
    add(check(p11, "CheckBox109", "Повторять фразу", Off, false));
    add(label(p11, "Label105", "дважды", false));
    add(check(p11, "CheckBox110", "Включать", Off, false));
    add(label(p11, "Label107", "прослушивание после", false));
    add(label(p11, "Label108", "оповещения", false));
    const char *voiceRows[] = {"Label14", "Label15", "Label16", "Label20", "Label97",
                               "Label98", "Label99", "Label100", "Label101"};
    const char *subscribers[] = {"Абонент 1", "Абонент 2", "Абонент 3", "Абонент 4", "Абонент 5",
                                 "Абонент 6", "Абонент 7", "Абонент 8", "Абонент 9"};
    for (int i = 0; i < 9; ++i)
        add(label(p11, voiceRows[i], subscribers[i], false));
    add(label(p11, "Label13", "Постановка/Снятие", false));
    add(label(p11, "Label102", "Питание + АКБ", false));
    add(label(p11, "Label103", "Глушение GSM", false));
    for (int i = 0; i < 27; ++i) {
        const QByteArray name = "CheckBox" + QByteArray::number(81 + i);
        add(check(p11, name.constData(), "", Off, false));
    }

    // "GSM-домофон"
    const char *p10 = "TabSheet10";
    add(group(p10, "GroupBox26", "",
              "При нажатии на кнопку вызова идет дозвон абоненту после чего можно вести разговор"));
    add(check(p10, "CheckBox67", "Вкл. функцию Домофон в режиме охраны", Off));
    add(label(p10, "Label106", "Дозваниваться :", false));
    add(check(p10, "CheckBox71", "Абоненту №1", Off, false));
    add(check(p10, "CheckBox72", "Абоненту №2", Off, false));
    add(check(p10, "CheckBox73", "Абоненту №3", Off, false));
    add(check(p10, "CheckBox74", "Абоненту №4", Off, false));
    add(check(p10, "CheckBox75", "Абоненту №5", Off, false));
    add(check(p10, "CheckBox69", "Работать в режиме без охраны", Off, false));
    add(check(p10, "CheckBox70", "Вкл. Выход №4 для питания активной колонки", Off, false,
              "При установлении телефоного соединения подаяеться питания с Выхода 4, после отбоя - снимаеться"));
    return rows;
}

const char *const kPages[] = {"TabSheet5", "TabSheet9", "TabSheet8", "TabSheet7", "TabSheet11", "TabSheet10"};

QRect rectOnPage(const QWidget *w, const QWidget *page)
{
    return QRect(w->mapTo(page, QPoint(0, 0)), w->size());
}

bool sameRow(const QRect &a, const QRect &b)
{
    return qAbs(a.center().y() - b.center().y()) <= 4;
}

} // namespace

class TestPages510 : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void control_data();
    void control();
    void pagesHoldExactlyTheirControls();
    void reachableThroughControls();
    void voicePageStartsWithOnlyItsSwitchEnabled();
    void counters_data();
    void counters();
    void titleCheckBoxes_data();
    void titleCheckBoxes();
    void titleSwitchesFollowThePalette_data();
    void titleSwitchesFollowThePalette();
    void continuations_data();
    void continuations();
    void keyRowsLineUp();
    void smsWordsInTwoColumns();
    void voiceGrid();
    void intercomArrangement();
    void arrangement_data();
    void arrangement();
    void captionsFit();
    void noOverlapAndInsideParent();

private:
    QWidget *page(const char *name) const;
    template<typename T = QWidget>
    T *find(const QString &name) const
    {
        const auto all = m_form->findChildren<T *>(name);
        return all.size() == 1 ? all.first() : nullptr;
    }

    QWidget m_bareForms;  // pages 5 and 9 built from their forms alone, with no rules
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TForm1> m_form;
};

void TestPages510::initTestCase()
{
    useWindowFont();
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_form = std::make_unique<TForm1>(PortMap(m_dir->path(), {}));
    Ui::TabSheet5 keys;
    keys.setupUi(new QWidget(&m_bareForms));
    Ui::TabSheet9 words;
    words.setupUi(new QWidget(&m_bareForms));
}

void TestPages510::cleanupTestCase()
{
    m_form.reset();
}

QWidget *TestPages510::page(const char *name) const
{
    return find<QWidget>(QLatin1String(name));
}

void TestPages510::control_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("hint");
    QTest::addColumn<int>("checked");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<bool>("visible");
    QTest::addColumn<int>("maxLength");
    QTest::addColumn<bool>("counter");
    for (const Row &r : expectedControls())
        QTest::newRow(r.name.constData()) << QString::fromLatin1(r.page) << QString::fromLatin1(r.kind) << r.text
                              << r.hint << r.checked << r.enabled << r.visible << r.maxLength << r.counter;
}

void TestPages510::control()
{
    QFETCH(QString, page);
    QFETCH(QString, kind);
    QFETCH(QString, text);
    QFETCH(QString, hint);
    QFETCH(int, checked);
    QFETCH(bool, enabled);
    QFETCH(bool, visible);
    QFETCH(int, maxLength);
    QFETCH(bool, counter);

    const QString name = QString::fromLatin1(QTest::currentDataTag());
    QWidget *w = find<QWidget>(name);
    QVERIFY2(w, "missing or not unique");
    QCOMPARE(QString::fromLatin1(w->metaObject()->className()), kind);

    QWidget *sheet = find<QWidget>(page);
    QVERIFY(sheet);
    QVERIFY2(sheet->isAncestorOf(w), "on the wrong page");

    QCOMPARE(w->toolTip(), hint);
    QCOMPARE(w->isEnabled(), enabled);
    QCOMPARE(!w->isHidden(), visible);

    if (auto *l = qobject_cast<QLabel *>(w)) {
        // Once the window runs, a counter's text is kept by the rules; its start text is
        // the form's and is checked on the bare form (counters()).
        if (!counter)
            QCOMPARE(l->text(), text);
        else
            QVERIFY(l->text().endsWith(text.mid(text.indexOf(QLatin1Char('/')))));
    } else if (auto *e = qobject_cast<QLineEdit *>(w)) {
        QCOMPARE(e->text(), text);
        QCOMPARE(e->maxLength(), maxLength);
        QCOMPARE(typedLimit(e), maxLength);
        QVERIFY(!e->isReadOnly());
    } else if (auto *g = qobject_cast<QGroupBox *>(w)) {
        QCOMPARE(g->title(), text);
        QVERIFY(!g->isCheckable());
    } else if (auto *b = qobject_cast<QAbstractButton *>(w)) {
        QCOMPARE(b->text(), text);
        if (checked != NoCheck) {
            QVERIFY(b->isCheckable());
            QCOMPARE(b->isChecked(), checked == On);
        }
    }
}

// No stray, misnamed or duplicated control: each page holds the named controls of the
// table and nothing else.
void TestPages510::pagesHoldExactlyTheirControls()
{
    QHash<QString, QSet<QString>> expected;
    for (const Row &r : expectedControls())
        expected[QString::fromLatin1(r.page)].insert(QString::fromLatin1(r.name));
    for (const char *pageName : kPages) {
        QWidget *sheet = page(pageName);
        QVERIFY2(sheet, pageName);
        QSet<QString> actual;
        for (QWidget *w : sheet->findChildren<QWidget *>()) {
            const QString name = w->objectName();
            if (name.isEmpty() || name.startsWith(QLatin1String("qt_")))
                continue;
            QVERIFY2(!actual.contains(name), qPrintable(name + " twice"));
            actual.insert(name);
        }
        const QSet<QString> want = expected.value(QString::fromLatin1(pageName));
        QCOMPARE(QSet<QString>(actual - want), QSet<QString>());
        QCOMPARE(QSet<QString>(want - actual), QSet<QString>());
    }
}

// The codecs and rules reach these controls by name through the window's Controls.
void TestPages510::reachableThroughControls()
{
    Controls &controls = m_form->controls();
    for (const Row &r : expectedControls()) {
        const QString name = QString::fromLatin1(r.name);
        QVERIFY2(controls.has(name), r.name.constData());
        QCOMPARE(controls.enabled(name), r.enabled);
        if (r.checked != NoCheck)
            QCOMPARE(controls.checked(name), r.checked == On);
        if (QLatin1String(r.kind) == QLatin1String("QLineEdit"))
            QCOMPARE(controls.text(name), r.text);
    }
    // The GPRS server fields start greyed under a ticked switch; the key boxes start empty.
    QVERIFY(controls.checked(QStringLiteral("CheckBox57")));
    for (const char *n : {"Label94", "Edit35", "Label109", "Edit40", "Label95", "Edit37"})
        QVERIFY2(!controls.enabled(QLatin1String(n)), n);
}

void TestPages510::voicePageStartsWithOnlyItsSwitchEnabled()
{
    QWidget *sheet = page("TabSheet11");
    QVERIFY(sheet);
    QSet<QString> enabled;
    for (QWidget *w : sheet->findChildren<QWidget *>()) {
        if (w->isEnabled() && !w->objectName().isEmpty() && !w->objectName().startsWith(QLatin1String("qt_")))
            enabled.insert(w->objectName());
    }
    const QSet<QString> want{QStringLiteral("GroupBox28"), QStringLiteral("CheckBox108"),
                             QStringLiteral("Label104")};
    QCOMPARE(enabled, want);
}

void TestPages510::counters_data()
{
    QTest::addColumn<QString>("edit");
    QTest::addColumn<QString>("counter");
    QTest::addColumn<QString>("start");
    const char *keyCounters[] = {"Label48", "Label50", "Label52", "Label54", "Label56",
                                 "Label58", "Label60", "Label62", "Label64"};
    for (int i = 0; i < 9; ++i)
        QTest::newRow(keyCounters[i]) << QStringLiteral("Edit%1").arg(10 + i)
                                      << QString::fromLatin1(keyCounters[i]) << QStringLiteral("0/16");
    for (int i = 0; i < 12; ++i) {
        const QString counter = QStringLiteral("Label%1").arg(112 + i);
        QTest::newRow(qPrintable(counter)) << QStringLiteral("Edit%1").arg(19 + i) << counter
                                           << QStringLiteral("0/11");
    }
}

// Counters are blue, start at zero whatever the box holds, and sit right of their box.
void TestPages510::counters()
{
    QFETCH(QString, edit);
    QFETCH(QString, counter);
    QFETCH(QString, start);
    auto *e = find<QLineEdit>(edit);
    auto *l = find<QLabel>(counter);
    QVERIFY(e && l);
    // The page as its form builds it: counters start at zero whatever the box holds.
    auto *bare = m_bareForms.findChild<QLabel *>(counter);
    QVERIFY(bare);
    QCOMPARE(bare->text(), start);
    auto *bareEdit = m_bareForms.findChild<QLineEdit *>(edit);
    QVERIFY(bareEdit);
    QCOMPARE(bareEdit->text(), e->text());
    const QColor blue(0, 0, 255);
    QCOMPARE(l->palette().color(QPalette::Active, QPalette::WindowText), blue);
    QCOMPARE(l->palette().color(QPalette::Inactive, QPalette::WindowText), blue);
    QVERIFY(l->styleSheet().isEmpty());
    QCOMPARE(l->parentWidget(), e->parentWidget());
    QVERIFY(l->geometry().left() >= e->geometry().right());
    QVERIFY(l->geometry().left() - e->geometry().right() <= 20);
    QVERIFY(sameRow(l->geometry(), e->geometry()));
}

void TestPages510::titleCheckBoxes_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("group");
    QTest::addColumn<QStringList>("contents");
    QTest::newRow("partial arming") << "CheckBox113" << "GroupBox30"
        << QStringList{"Label21", "CheckBox114", "CheckBox115", "CheckBox116", "CheckBox117", "CheckBox118", "CheckBox119"};
    QTest::newRow("server") << "CheckBox57" << "GroupBox25"
        << QStringList{"Label94", "Edit35", "Label109", "Edit40", "Label95", "Edit37"};
    QTest::newRow("thermometer") << "CheckBox56" << "GroupBox24"
        << QStringList{"Label23", "Edit32", "Label30", "Label27", "Edit33", "Label44"};
    QTest::newRow("intercom") << "CheckBox67" << "GroupBox26"
        << QStringList{"Label106", "CheckBox71", "CheckBox72", "CheckBox73", "CheckBox74", "CheckBox75",
                       "CheckBox69", "CheckBox70"};
}

// The switch stands on the group's top edge, outside the group so that it is never
// greyed with it, and paints over the frame line.
void TestPages510::titleCheckBoxes()
{
    QFETCH(QString, box);
    QFETCH(QString, group);
    QFETCH(QStringList, contents);
    auto *cb = find<QCheckBox>(box);
    auto *gb = find<QGroupBox>(group);
    QVERIFY(cb && gb);
    QVERIFY(gb->title().isEmpty());
    QCOMPARE(cb->parentWidget(), gb->parentWidget());
    QVERIFY(cb->autoFillBackground());
    const QRect c = cb->geometry();
    const QRect g = gb->geometry();
    QVERIFY(c.top() < g.top() && c.bottom() > g.top());
    QVERIFY(c.left() > g.left() && c.right() < g.right());
    // Painted after the group box, so it lies over the frame.
    const QObjectList siblings = gb->parentWidget()->children();
    QVERIFY(siblings.indexOf(cb) > siblings.indexOf(gb));
    for (const QString &name : contents) {
        QWidget *w = find<QWidget>(name);
        QVERIFY2(w, qPrintable(name));
        QVERIFY2(gb->isAncestorOf(w), qPrintable(name));
    }

    // On screen: the switch's background is the page's own, and it hides the frame line.
    PageControl *pages = m_form->pageControl();
    for (int i = 0; i < pages->count(); ++i) {
        if (pages->page(i)->isAncestorOf(cb))
            pages->setCurrentIndex(i);
    }
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    const QImage shot = pages->grab().toImage();
    const auto at = [&](const QPoint &onBox) { return shot.pixelColor(cb->mapTo(pages, onBox)); };
    const QColor pane = at(QPoint(-3, 1));
    QCOMPARE(at(QPoint(cb->width() - 2, 1)), pane);
    // The frame line: the first row under the switch's top that differs, just right of it.
    int line = -1;
    for (int y = 1; y < cb->height() && line < 0; ++y) {
        if (at(QPoint(cb->width() + 4, y)) != pane)
            line = y;
    }
    QVERIFY2(line > 0, "frame line not found beside the switch");
    QCOMPARE(at(QPoint(cb->width() - 2, line)), pane);
}

void TestPages510::titleSwitchesFollowThePalette_data()
{
    QTest::addColumn<bool>("builtUnder");
    QTest::newRow("window built under the palette") << true;
    QTest::newRow("palette changed while the window runs") << false;
}

// Under a desktop's own colours the switches still sit on the pane's colour, and
// their captions stay readable.
void TestPages510::titleSwitchesFollowThePalette()
{
    QFETCH(bool, builtUnder);
    const QPalette original = QApplication::palette();
    QPalette dark = original;
    dark.setColor(QPalette::Window, QColor(60, 60, 60));
    dark.setColor(QPalette::Button, QColor(70, 70, 70));
    dark.setColor(QPalette::Base, QColor(40, 40, 40));
    dark.setColor(QPalette::WindowText, Qt::white);
    dark.setColor(QPalette::ButtonText, Qt::white);
    dark.setColor(QPalette::Text, Qt::white);
    struct Restore
    {
        QPalette palette;
        ~Restore() { QApplication::setPalette(palette); }
    } restore{original};

    if (builtUnder)
        QApplication::setPalette(dark);
    QTemporaryDir dir;
    TForm1 form(PortMap(dir.path(), {}));
    if (!builtUnder)
        QApplication::setPalette(dark);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));

    PageControl *pages = form.pageControl();
    for (const char *name : {"CheckBox113", "CheckBox57", "CheckBox56", "CheckBox67"}) {
        auto *cb = form.findChild<QCheckBox *>(QLatin1String(name));
        QVERIFY2(cb, name);
        for (int i = 0; i < pages->count(); ++i) {
            if (pages->page(i)->isAncestorOf(cb))
                pages->setCurrentIndex(i);
        }
        const QImage shot = pages->grab().toImage();
        const auto at = [&](const QPoint &onBox) { return shot.pixelColor(cb->mapTo(pages, onBox)); };
        const QColor pane = at(QPoint(-3, 1));
        QVERIFY2(pane.lightness() < 128, name);
        QVERIFY2(at(QPoint(cb->width() - 2, 1)) == pane, name);
        // Some of the caption is drawn in a light colour on the dark pane.
        int light = 0;
        for (int y = 0; y < cb->height(); ++y) {
            for (int x = cb->width() / 4; x < cb->width(); ++x)
                light += at(QPoint(x, y)).lightness() > 160;
        }
        QVERIFY2(light > 10, name);
    }
}

void TestPages510::continuations_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QStringList>("labels");
    QTest::newRow("partial arming") << "CheckBox113" << QStringList{"Label21"};
    QTest::newRow("alarm calls") << "CheckBox108" << QStringList{"Label104"};
    QTest::newRow("repeat") << "CheckBox109" << QStringList{"Label105"};
    QTest::newRow("listen") << "CheckBox110" << QStringList{"Label107", "Label108"};
}

// A continuation reads as the rest of its box's caption: just under it, in the text column.
void TestPages510::continuations()
{
    QFETCH(QString, box);
    QFETCH(QStringList, labels);
    auto *cb = find<QCheckBox>(box);
    QVERIFY(cb);
    QWidget *sheet = cb->window();
    for (QObject *p = cb; p; p = p->parent()) {
        if (p->objectName().startsWith(QLatin1String("TabSheet"))) {
            sheet = static_cast<QWidget *>(p);
            break;
        }
    }
    QRect above = rectOnPage(cb, sheet);
    const int textLeft = above.left();
    for (const QString &name : labels) {
        auto *l = find<QLabel>(name);
        QVERIFY2(l, qPrintable(name));
        const QRect r = rectOnPage(l, sheet);
        QVERIFY2(r.top() >= above.bottom() - 3 && r.top() <= above.bottom() + 6, qPrintable(name));
        QVERIFY2(r.left() > textLeft && r.left() <= textLeft + 30, qPrintable(name));
        above = r;
    }
}

void TestPages510::keyRowsLineUp()
{
    const char *rowLabels[] = {"Label47", "Label49", "Label51", "Label53", "Label55",
                               "Label57", "Label59", "Label61", "Label63"};
    auto *header = find<QLabel>(QStringLiteral("Label46"));
    QVERIFY(header);
    int lastTop = header->geometry().bottom();
    for (int i = 0; i < 9; ++i) {
        auto *l = find<QLabel>(QLatin1String(rowLabels[i]));
        auto *e = find<QLineEdit>(QStringLiteral("Edit%1").arg(10 + i));
        QVERIFY(l && e);
        QVERIFY(sameRow(l->geometry(), e->geometry()));
        QVERIFY(l->geometry().right() < e->geometry().left());
        QVERIFY2(e->geometry().top() > lastTop, "rows go down in order");
        lastTop = e->geometry().top();
        QVERIFY(e->geometry().left() <= header->geometry().right() && header->geometry().left() <= e->geometry().right());
    }
    auto *note = find<QLabel>(QStringLiteral("Label111"));
    QVERIFY(note);
    QVERIFY(note->geometry().top() > lastTop);
}

void TestPages510::smsWordsInTwoColumns()
{
    QList<QRect> edits;
    for (int i = 0; i < 12; ++i) {
        auto *l = find<QLabel>(QStringLiteral("Label%1").arg(65 + i));
        auto *e = find<QLineEdit>(QStringLiteral("Edit%1").arg(19 + i));
        QVERIFY(l && e);
        QVERIFY(sameRow(l->geometry(), e->geometry()));
        QVERIFY(l->geometry().right() < e->geometry().left());
        edits << e->geometry();
    }
    for (int row = 0; row < 6; ++row) {
        QVERIFY2(sameRow(edits[row], edits[row + 6]), "word n and n+6 share a row");
        QVERIFY(edits[row].right() < edits[row + 6].left());
        if (row > 0) {
            QVERIFY(edits[row].top() > edits[row - 1].top());
            QCOMPARE(edits[row].left(), edits[0].left());
            QCOMPARE(edits[row + 6].left(), edits[6].left());
        }
    }
    auto *note = find<QLabel>(QStringLiteral("Label77"));
    QVERIFY(note);
    QVERIFY(note->geometry().top() > edits[5].bottom());
}

// Nine subscriber rows by three event columns; box (row r, column c) lines up with both.
void TestPages510::voiceGrid()
{
    const char *rowLabels[] = {"Label14", "Label15", "Label16", "Label20", "Label97",
                               "Label98", "Label99", "Label100", "Label101"};
    const char *headers[] = {"Label13", "Label102", "Label103"};
    for (int c = 0; c < 3; ++c) {
        auto *h = find<QLabel>(QLatin1String(headers[c]));
        QVERIFY(h);
        for (int r = 0; r < 9; ++r) {
            auto *l = find<QLabel>(QLatin1String(rowLabels[r]));
            auto *box = find<QCheckBox>(QStringLiteral("CheckBox%1").arg(81 + 9 * c + r));
            QVERIFY(l && box);
            QCOMPARE(box->parentWidget(), l->parentWidget());
            QCOMPARE(box->parentWidget(), h->parentWidget());
            QVERIFY(box->text().isEmpty());
            QVERIFY(sameRow(box->geometry(), l->geometry()));
            QVERIFY(box->geometry().left() > l->geometry().right());
            const int x = box->geometry().center().x();
            QVERIFY(x >= h->geometry().left() && x <= h->geometry().left() + h->sizeHint().width());
            QVERIFY(box->geometry().top() > h->geometry().bottom());
        }
    }
}

void TestPages510::intercomArrangement()
{
    auto *head = find<QLabel>(QStringLiteral("Label106"));
    QVERIFY(head);
    QRect above = head->geometry();
    for (int i = 0; i < 5; ++i) {
        auto *box = find<QCheckBox>(QStringLiteral("CheckBox%1").arg(71 + i));
        QVERIFY(box);
        QCOMPARE(box->geometry().left(), head->geometry().left());
        QVERIFY(box->geometry().top() > above.top());
        above = box->geometry();
    }
    const int columnRight = find<QCheckBox>(QStringLiteral("CheckBox71"))->geometry().right();
    for (const char *n : {"CheckBox69", "CheckBox70"}) {
        auto *box = find<QCheckBox>(QLatin1String(n));
        QVERIFY(box);
        QVERIFY2(box->geometry().left() > columnRight, n);
    }
}

void TestPages510::arrangement_data()
{
    using arrangement::Relation;
    const arrangement::Pair pairs[] = {
        // Keys: the key column, the switch over the reset button, partial arming on the
        // right, the note at the bottom.
        {"Label48", Relation::LeftOf, "CheckBox46"},
        {"CheckBox46", Relation::Above, "Button16"},
        {"CheckBox46", Relation::LeftOf, "GroupBox30"},
        {"Button16", Relation::LeftOf, "GroupBox30"},
        {"CheckBox113", Relation::Continues, "Label21"},
        {"Label21", Relation::Above, "CheckBox114"},
        {"CheckBox118", Relation::Above, "CheckBox119"},
        {"GroupBox30", Relation::Above, "Label111"},
        // SMS words.
        {"Edit19", Relation::Beside, "Label112"},
        {"Label112", Relation::LeftOf, "Label71"},
        {"Edit25", Relation::Beside, "Label118"},
        {"Edit30", Relation::Above, "Label77"},
        // GPRS: the access point with the presets, the server group under it, the
        // default-settings button to its right, the note at the bottom.
        {"Label92", Relation::Above, "Edit34"},
        {"Edit34", Relation::Beside, "Button2"},
        {"Button2", Relation::Beside, "Button3"},
        {"Button3", Relation::Beside, "Button4"},
        {"Edit34", Relation::Above, "GroupBox25"},
        {"GroupBox25", Relation::LeftOf, "Button9"},
        {"GroupBox25", Relation::Above, "Label125"},
        {"Button9", Relation::Above, "Label125"},
        {"Label94", Relation::Beside, "Edit35"},
        {"Edit35", Relation::Above, "Edit40"},
        {"Label109", Relation::Beside, "Edit40"},
        {"Edit40", Relation::Above, "Edit37"},
        {"Label95", Relation::Beside, "Edit37"},
        // Thermometer: each threshold under its label, its unit to the right.
        {"Label23", Relation::Above, "Edit32"},
        {"Edit32", Relation::Beside, "Label30"},
        {"Edit32", Relation::Above, "Label27"},
        {"Label27", Relation::Above, "Edit33"},
        {"Edit33", Relation::Beside, "Label44"},
        // Voice: the three options, each read as one caption.
        {"CheckBox108", Relation::Continues, "Label104"},
        {"Label104", Relation::Above, "CheckBox109"},
        {"CheckBox109", Relation::Continues, "Label105"},
        {"Label105", Relation::Above, "CheckBox110"},
        {"CheckBox110", Relation::Continues, "Label107"},
        {"Label107", Relation::Continues, "Label108"},
        // Intercom.
        {"Label106", Relation::Above, "CheckBox71"},
        {"CheckBox71", Relation::LeftOf, "CheckBox69"},
        {"CheckBox69", Relation::Above, "CheckBox70"},
    };
    arrangement::addRows(pairs);
}

void TestPages510::arrangement()
{
    QFETCH(QString, a);
    QFETCH(arrangement::Relation, relation);
    QFETCH(QString, b);
    const QString wrong = arrangement::checkNamed(m_form.get(), a, relation, b);
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
}

// At the window's font every caption fits its widget, and every widget fits its page.
void TestPages510::captionsFit()
{
    for (const char *pageName : kPages) {
        QWidget *sheet = page(pageName);
        QVERIFY(sheet);
        for (QWidget *w : sheet->findChildren<QWidget *>()) {
            if (!qobject_cast<QAbstractButton *>(w) && !qobject_cast<QLabel *>(w))
                continue;
            const QSize hint = w->sizeHint();
            QVERIFY2(hint.width() <= w->width(),
                     qPrintable(QStringLiteral("%1: %2 > %3").arg(w->objectName()).arg(hint.width()).arg(w->width())));
            QVERIFY2(hint.height() <= w->height(),
                     qPrintable(QStringLiteral("%1: height %2 > %3").arg(w->objectName()).arg(hint.height()).arg(w->height())));
        }
        // A group box's title needs room too.
        for (auto *g : sheet->findChildren<QGroupBox *>())
            QVERIFY(g->fontMetrics().horizontalAdvance(g->title()) + 20 <= g->width());
    }
}

// Every widget fits its page or group box, clear of the box's title line, without
// lying over another.
void TestPages510::noOverlapAndInsideParent()
{
    for (const char *pageName : kPages) {
        QWidget *sheet = page(pageName);
        QVERIFY(sheet);
        const QStringList faults = pagelayout::placementFaults(sheet);
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1String("; "))));
    }
}

QTEST_MAIN(TestPages510)
#include "tst_pages510.moc"
