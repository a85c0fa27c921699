// Key filters, the phone-box hook, the typed limit, paste filtering and counters, on a
// small form of real line edits named like the window's.
#include "wire/wiretext.h"
#include "tests/support/recordingdesktop.h"
#include "ui/desktop.h"
#include "ui/keyfilters.h"
#include "ui/widgetcontrols.h"
#include "ui/windowrules.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPointer>
#include <QTest>
#include <QVBoxLayout>
#include <memory>

namespace {

const QString kCyrillicZhe = QStringLiteral("\u0416");

// Types each character as a key click with its text, as a keyboard would.
void typeText(QWidget *w, const QString &text)
{
    for (QChar ch : text) {
        Qt::Key key = Qt::Key(ch.toUpper().unicode());
        if (ch == QLatin1Char('\r'))
            key = Qt::Key_Return;
        QTest::sendKeyEvent(QTest::Click, w, key, QString(ch), Qt::NoModifier);
    }
}

struct Form
{
    QWidget widget;
    std::unique_ptr<WidgetControls> controls;
    std::unique_ptr<WindowRules> rules;

    Form()
    {
        auto *layout = new QVBoxLayout(&widget);
        const struct { const char *name; int max; const char *text; } edits[] = {
            {"Edit1", 14, "+380"}, {"Edit2", 14, "+380"}, {"Edit3", 14, "+380"}, {"Edit10", 16, ""},
            {"Edit19", 11, "TVX4"}, {"Edit31", 4, "7913"}, {"Edit32", 2, "07"}, {"Edit34", 50, ""},
        };
        for (const auto &e : edits) {
            auto *edit = new QLineEdit(QString::fromUtf8(e.text), &widget);
            edit->setObjectName(QLatin1String(e.name));
            edit->setMaxLength(e.max);
            layout->addWidget(edit);
        }
        for (const char *name : {"Label127", "Label19", "Label29", "Label48", "Label112", "Label85"}) {
            auto *label = new QLabel(QStringLiteral("0/0"), &widget);
            label->setObjectName(QLatin1String(name));
            layout->addWidget(label);
        }
        controls = std::make_unique<WidgetControls>(&widget);
        rules = std::make_unique<WindowRules>(&widget, *controls, Desktop::instance());
        widget.show();
        QApplication::setActiveWindow(&widget);
    }

    QLineEdit *edit(const QString &name) const { return widget.findChild<QLineEdit *>(name); }
    QString label(const char *name) const { return widget.findChild<QLabel *>(QLatin1String(name))->text(); }
};

bool focus(QLineEdit *edit)
{
    edit->setFocus();
    return QTest::qWaitFor([edit] { return edit->hasFocus() && QApplication::focusWidget() == edit; });
}

} // namespace

class TestKeyFilters : public QObject
{
    Q_OBJECT

private slots:
    void classes_data();
    void classes();
    void typing_data();
    void typing();
    void hookActsOnlyWhilePhoneBoxHasFocus();
    void hookLeavesAnOpenMenuItsKeys_data();
    void hookLeavesAnOpenMenuItsKeys();
    void navigationAndShortcutsAreNoCharacters();
    void typedLimitHoldsOverCodeSetText();
    void backspaceInFullBox();
    void counters();
    void keyReleaseRefreshesOnlyItsCounter();
    void paste_data();
    void paste();
    void contextMenuPasteIsFiltered();
    void dropIsFiltered();
    void composedTextIsFiltered();
    void backspaceInsideTextIsNoKey_data();
    void backspaceInsideTextIsNoKey();
    void codeSetTextIsNotFiltered();
};

void TestKeyFilters::classes_data()
{
    QTest::addColumn<int>("cls");
    QTest::addColumn<QString>("chars");
    QTest::addColumn<QString>("accepted"); // 1 accepted, 0 rejected, per character

    // Each character set against the four classes: phone, digits, key code, text.
    const struct { const char *name; QString chars; const char *perClass[4]; } sets[] = {
        {"backspace", QStringLiteral("\b"), {"1", "1", "1", "1"}},
        {"digits", QStringLiteral("09"), {"11", "11", "11", "11"}},
        {"plus minus", QStringLiteral("+-"), {"10", "00", "00", "11"}},
        {"hex letters", QStringLiteral("AFGaf"), {"00000", "00000", "11000", "11111"}},
        {"space underscore tilde", QStringLiteral(" _~!"), {"0000", "0000", "0000", "1011"}},
        {"controls", QStringLiteral("\t\r\x1b\x7f"), {"0000", "0000", "0000", "0000"}},
        {"nul", QString(QChar(0)), {"0", "0", "0", "0"}},
        {"cyrillic", QStringLiteral("\u0416\u0436\u0451\u0406"), {"0000", "0000", "0000", "0000"}},
        {"upper half and outside", QStringLiteral("\u20ac\u00ab\u4e2d\u00e9"), {"0000", "0000", "0000", "0000"}},
    };
    const char *classNames[] = {"phone", "digits", "key code", "text"};
    for (const auto &set : sets) {
        for (int cls = 0; cls < 4; ++cls)
            QTest::addRow("%s, %s", set.name, classNames[cls]) << cls << set.chars << QString::fromLatin1(set.perClass[cls]);
    }
}

void TestKeyFilters::classes()
{
    QFETCH(int, cls);
    QFETCH(QString, chars);
    QFETCH(QString, accepted);
    const CharClass classes[] = {CharClass::Phone, CharClass::Digits, CharClass::KeyCode, CharClass::Text};
    QString got;
    for (QChar ch : chars)
        got += inClass(classes[cls], ch) ? QLatin1Char('1') : QLatin1Char('0');
    QCOMPARE(got, accepted);
}

void TestKeyFilters::typing_data()
{
    QTest::addColumn<QString>("edit");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("result");
    QTest::addColumn<int>("alerts");

    QTest::newRow("key code small a") << "Edit10" << "" << "a1A" << "1A" << 1;
    QTest::newRow("key code G") << "Edit10" << "" << "0FG" << "0F" << 1;
    QTest::newRow("sms underscore") << "Edit19" << "" << "a_b c" << "ab c" << 1;
    QTest::newRow("apn underscore") << "Edit34" << "" << "x_y" << "xy" << 1;
    QTest::newRow("edit1 silent latin, sounding cyrillic") << "Edit1" << "+380" << "5a-" + kCyrillicZhe + "6"
                                                           << "+38056" << 1;
    QTest::newRow("edit2 silent latin") << "Edit2" << "+380" << "5 x\r6" << "+38056" << 0;
    QTest::newRow("edit3 sounds for each") << "Edit3" << "+380" << "5a-" + kCyrillicZhe + "6" << "+38056" << 3;
    QTest::newRow("edit3 enter sounds") << "Edit3" << "" << "\r" << "" << 1;
    QTest::newRow("password minus") << "Edit31" << "" << "12-3" << "123" << 1;
    QTest::newRow("password stops at 4") << "Edit31" << "" << "12345" << "1234" << 0;
    QTest::newRow("sms twelfth") << "Edit19" << "ABCDEFGHIJK" << "L" << "ABCDEFGHIJK" << 0;
    QTest::newRow("threshold letter") << "Edit32" << "" << "x4" << "4" << 1;
    QTest::newRow("cyrillic in sms") << "Edit19" << "" << kCyrillicZhe << "" << 1;
    QTest::newRow("cyrillic in key") << "Edit10" << "" << kCyrillicZhe << "" << 1;
    QTest::newRow("cyrillic in digits") << "Edit31" << "" << kCyrillicZhe << "" << 1;
    QTest::newRow("cyrillic in edit2") << "Edit2" << "" << kCyrillicZhe << "" << 1;
}

void TestKeyFilters::typing()
{
    QFETCH(QString, edit);
    QFETCH(QString, start);
    QFETCH(QString, typed);
    QFETCH(QString, result);
    QFETCH(int, alerts);

    RecordingDesktop desktop;
    Form form;
    QLineEdit *box = form.edit(edit);
    box->setText(start);
    QVERIFY(focus(box));
    typeText(box, typed);
    QCOMPARE(box->text(), result);
    QCOMPARE(desktop.alerts, alerts);
}

void TestKeyFilters::hookActsOnlyWhilePhoneBoxHasFocus()
{
    RecordingDesktop desktop;
    Form form;
    QLineEdit *edit1 = form.edit(QStringLiteral("Edit1"));
    // Keys sent to Edit1 while another box has the focus meet only its own filter.
    QVERIFY(focus(form.edit(QStringLiteral("Edit19"))));
    typeText(edit1, QStringLiteral("x"));
    QCOMPARE(edit1->text(), QStringLiteral("+380"));
    QCOMPARE(desktop.alerts, 1);

    // While Edit1 has the focus the hook swallows such keys whatever they are sent to.
    QVERIFY(focus(edit1));
    QLineEdit *edit19 = form.edit(QStringLiteral("Edit19"));
    typeText(edit19, QStringLiteral("x"));
    QCOMPARE(edit19->text(), QStringLiteral("TVX4"));
    typeText(edit19, QStringLiteral("7"));
    QCOMPARE(edit19->text(), QStringLiteral("TVX47"));
    QCOMPARE(desktop.alerts, 1);
}

// A context menu opened from a phone box takes the keyboard while the box keeps the
// focus: Escape (27) must still close it, not be swallowed as a character.
void TestKeyFilters::hookLeavesAnOpenMenuItsKeys_data()
{
    QTest::addColumn<QString>("edit");
    QTest::newRow("Edit1, hooked") << "Edit1";
    QTest::newRow("Edit2, hooked") << "Edit2";
    QTest::newRow("Edit3") << "Edit3";
}

void TestKeyFilters::hookLeavesAnOpenMenuItsKeys()
{
    QFETCH(QString, edit);
    RecordingDesktop desktop;
    Form form;
    QLineEdit *box = form.edit(edit);
    QVERIFY(focus(box));
    QContextMenuEvent open(QContextMenuEvent::Keyboard, QPoint(4, 4), box->mapToGlobal(QPoint(4, 4)));
    QApplication::sendEvent(box, &open);
    QTRY_VERIFY(QApplication::activePopupWidget());
    QPointer<QWidget> menu = QApplication::activePopupWidget();
    QTest::keyClick(menu, Qt::Key_Escape);
    QTRY_VERIFY(!menu || !menu->isVisible());
    QCOMPARE(box->text(), QStringLiteral("+380"));
    QCOMPARE(desktop.alerts, 0);
}

void TestKeyFilters::navigationAndShortcutsAreNoCharacters()
{
    RecordingDesktop desktop;
    Form form;
    for (const char *name : {"Edit1", "Edit3"}) {
        QLineEdit *edit = form.edit(QLatin1String(name));
        QVERIFY(focus(edit));
        edit->setText(QStringLiteral("+380123"));
        QTest::keyClick(edit, Qt::Key_Home);
        QTest::keyClick(edit, Qt::Key_Delete);
        QCOMPARE(edit->text(), QStringLiteral("380123"));
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(edit->selectedText(), QStringLiteral("380123"));
        QApplication::clipboard()->clear();
        QTest::keyClick(edit, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("380123"));
        QTest::keyClick(edit, Qt::Key_Backspace);
        QCOMPARE(edit->text(), QString());
        QTest::keyClick(edit, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(edit->text(), QStringLiteral("380123"));
        QTest::keyClick(edit, Qt::Key_Tab);
        QTRY_VERIFY(!edit->hasFocus());
    }
    QCOMPARE(desktop.alerts, 0);
}

void TestKeyFilters::typedLimitHoldsOverCodeSetText()
{
    RecordingDesktop desktop;
    Form form;
    QLineEdit *edit = form.edit(QStringLiteral("Edit31"));
    form.controls->setText(QStringLiteral("Edit31"), QStringLiteral("123456"));
    QCOMPARE(edit->text(), QStringLiteral("123456"));
    QVERIFY(focus(edit));
    typeText(edit, QStringLiteral("7"));
    QCOMPARE(edit->text(), QStringLiteral("123456"));
    edit->selectAll();
    typeText(edit, QStringLiteral("89"));
    QCOMPARE(edit->text(), QStringLiteral("89"));
    QCOMPARE(desktop.alerts, 0);
}

void TestKeyFilters::backspaceInFullBox()
{
    Form form;
    QLineEdit *edit = form.edit(QStringLiteral("Edit32"));
    QVERIFY(focus(edit));
    QTest::keyClick(edit, Qt::Key_End);
    QTest::keyClick(edit, Qt::Key_Backspace);
    QCOMPARE(edit->text(), QStringLiteral("0"));
}

void TestKeyFilters::counters()
{
    Form form;
    // At start a counter shows what its box holds.
    QCOMPARE(form.label("Label127"), QStringLiteral("4/14"));
    QCOMPARE(form.label("Label29"), QStringLiteral("4/14"));
    QCOMPARE(form.label("Label48"), QStringLiteral("0/16"));
    QCOMPARE(form.label("Label112"), QStringLiteral("4/11"));
    QCOMPARE(form.label("Label85"), QStringLiteral("4/4"));

    // Text set by code, even past the typed limit.
    form.controls->setText(QStringLiteral("Edit10"), QStringLiteral("0123456"));
    QCOMPARE(form.label("Label48"), QStringLiteral("7/16"));
    form.controls->setText(QStringLiteral("Edit3"), QStringLiteral("+3805012345678901"));
    QCOMPARE(form.label("Label29"), QStringLiteral("17/14"));
    form.controls->setText(QStringLiteral("Edit1"), QString());
    QCOMPARE(form.label("Label127"), QStringLiteral("0/14"));

    QLineEdit *edit = form.edit(QStringLiteral("Edit19"));
    QVERIFY(focus(edit));
    typeText(edit, QStringLiteral("ab"));
    QCOMPARE(form.label("Label112"), QStringLiteral("6/11"));
}

void TestKeyFilters::keyReleaseRefreshesOnlyItsCounter()
{
    Form form;
    for (const char *name : {"Label127", "Label29", "Label85", "Label112"})
        form.widget.findChild<QLabel *>(QLatin1String(name))->setText(QStringLiteral("stale"));
    QLineEdit *edit = form.edit(QStringLiteral("Edit31"));
    QVERIFY(focus(edit));
    QTest::keyRelease(edit, Qt::Key_Shift);
    QCOMPARE(form.label("Label85"), QStringLiteral("4/4"));
    QCOMPARE(form.label("Label112"), QStringLiteral("stale"));
    QCOMPARE(form.label("Label29"), QStringLiteral("stale"));

    // Boxes without a counter touch none.
    QLineEdit *threshold = form.edit(QStringLiteral("Edit32"));
    QVERIFY(focus(threshold));
    QTest::keyClick(threshold, Qt::Key_Backspace);
    QCOMPARE(form.label("Label127"), QStringLiteral("stale"));
    QCOMPARE(form.label("Label112"), QStringLiteral("stale"));
}

void TestKeyFilters::paste_data()
{
    QTest::addColumn<QString>("edit");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<bool>("shiftInsert"); // else Ctrl+V
    QTest::addColumn<QString>("result");
    QTest::addColumn<int>("alerts");

    const bool ctrlV = false;
    const bool shiftIns = true;
    QTest::newRow("phone with punctuation, Edit3") << "Edit3" << "" << "+38 (050) 123-45-67" << ctrlV
                                                    << "+380501234567" << 1;
    QTest::newRow("phone with punctuation, Edit1") << "Edit1" << "" << "+38 (050) 123-45-67" << ctrlV
                                                    << "+380501234567" << 1;
    QTest::newRow("clean number") << "Edit2" << "" << "+380501234567" << shiftIns << "+380501234567" << 0;
    QTest::newRow("cut at limit") << "Edit3" << "+380" << "12345678901234" << ctrlV << "+3801234567890" << 0;
    QTest::newRow("sms underscore and cyrillic") << "Edit19" << "" << "A_B" + kCyrillicZhe + "C\n" << ctrlV
                                                 << "ABC" << 1;
    QTest::newRow("key code small letters") << "Edit10" << "" << "00ab12CD" << shiftIns << "0012CD" << 1;
    QTest::newRow("nothing usable keeps selection") << "Edit31" << "7913" << "abc" << ctrlV << "7913" << 1;
    QTest::newRow("full box") << "Edit19" << "ABCDEFGHIJK" << "Z" << ctrlV << "ABCDEFGHIJK" << 0;
}

void TestKeyFilters::paste()
{
    QFETCH(QString, edit);
    QFETCH(QString, start);
    QFETCH(QString, clipboard);
    QFETCH(bool, shiftInsert);
    QFETCH(QString, result);
    QFETCH(int, alerts);

    RecordingDesktop desktop;
    Form form;
    QLineEdit *box = form.edit(edit);
    box->setText(start);
    QApplication::clipboard()->setText(clipboard);
    QVERIFY(focus(box));
    if (start == QLatin1String("7913"))
        box->selectAll();
    else
        box->end(false);
    if (shiftInsert)
        QTest::keyClick(box, Qt::Key_Insert, Qt::ShiftModifier);
    else
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(box->text(), result);
    QCOMPARE(desktop.alerts, alerts);
}

void TestKeyFilters::contextMenuPasteIsFiltered()
{
    RecordingDesktop desktop;
    Form form;
    QLineEdit *edit = form.edit(QStringLiteral("Edit19"));
    edit->clear();
    QApplication::clipboard()->setText(QStringLiteral("a_b"));
    auto *filter = edit->findChild<EditBoxFilter *>();
    QVERIFY(filter);
    std::unique_ptr<QMenu> menu(filter->createContextMenu());
    QAction *pasteAction = nullptr;
    for (QAction *action : menu->actions()) {
        if (action->objectName() == QLatin1String("edit-paste"))
            pasteAction = action;
    }
    QVERIFY(pasteAction);
    pasteAction->trigger();
    QCOMPARE(edit->text(), QStringLiteral("ab"));
    QCOMPARE(desktop.alerts, 1);
}

void TestKeyFilters::dropIsFiltered()
{
    RecordingDesktop desktop;
    Form form;
    QLineEdit *edit = form.edit(QStringLiteral("Edit3"));
    edit->clear();
    // Drags the text onto the box and drops it there; returns whether the drop was taken.
    auto dropText = [edit](const QString &text) {
        QMimeData data;
        data.setText(text);
        QDragEnterEvent enter(QPoint(2, 2), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(edit, &enter);
        QDropEvent drop(QPointF(2, 2), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(edit, &drop);
        return drop.isAccepted();
    };
    QVERIFY(dropText(QStringLiteral("tel: +380 50 123")));
    QCOMPARE(edit->text(), QStringLiteral("+38050123"));
    QCOMPARE(desktop.alerts, 1);

    dropText(QStringLiteral("only letters"));
    QCOMPARE(edit->text(), QStringLiteral("+38050123"));
    QCOMPARE(desktop.alerts, 2);
}

void TestKeyFilters::composedTextIsFiltered()
{
    RecordingDesktop desktop;
    Form form;
    QLineEdit *edit = form.edit(QStringLiteral("Edit19"));
    edit->clear();
    QVERIFY(focus(edit));
    QInputMethodEvent good;
    good.setCommitString(QStringLiteral("Ab"));
    QApplication::sendEvent(edit, &good);
    QCOMPARE(edit->text(), QStringLiteral("Ab"));
    QInputMethodEvent bad;
    bad.setCommitString(kCyrillicZhe);
    QApplication::sendEvent(edit, &bad);
    QCOMPARE(edit->text(), QStringLiteral("Ab"));
    QCOMPARE(desktop.alerts, 1);
    QInputMethodEvent tooLong;
    tooLong.setCommitString(QStringLiteral("cdefghijklmn"));
    QApplication::sendEvent(edit, &tooLong);
    QCOMPARE(edit->text(), QStringLiteral("Abcdefghijk"));
}

// Backspace belongs to every class as the key that deletes. Carried inside longer text
// (a key with several characters, a composed commit) the box would insert it as a
// control character, so there it is rejected like any other.
void TestKeyFilters::backspaceInsideTextIsNoKey_data()
{
    QTest::addColumn<QString>("edit");
    QTest::addColumn<bool>("composed"); // else one key press carrying the text
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("result");
    QTest::addColumn<int>("alerts");

    QTest::newRow("sms key") << "Edit19" << false << "3\b" << "TVX4" << 1;
    QTest::newRow("sms composed") << "Edit19" << true << "1\b2" << "TVX4" << 1;
    QTest::newRow("password composed") << "Edit31" << true << "\b" << "" << 1;
    QTest::newRow("edit1 key") << "Edit1" << false << "5\b" << "+380" << 1;
    QTest::newRow("edit1 composed") << "Edit1" << true << "\b5" << "+380" << 1;
    QTest::newRow("key code composed clean") << "Edit10" << true << "0F" << "0F" << 0;
}

void TestKeyFilters::backspaceInsideTextIsNoKey()
{
    QFETCH(QString, edit);
    QFETCH(bool, composed);
    QFETCH(QString, text);
    QFETCH(QString, result);
    QFETCH(int, alerts);

    RecordingDesktop desktop;
    Form form;
    QLineEdit *box = form.edit(edit);
    if (edit == QLatin1String("Edit31"))
        box->clear();
    QVERIFY(focus(box));
    box->end(false);
    if (composed) {
        QInputMethodEvent event;
        event.setCommitString(text);
        QApplication::sendEvent(box, &event);
    } else {
        QTest::sendKeyEvent(QTest::Press, box, Qt::Key_unknown, text, Qt::NoModifier);
    }
    QCOMPARE(box->text(), result);
    QCOMPARE(desktop.alerts, alerts);
}

void TestKeyFilters::codeSetTextIsNotFiltered()
{
    RecordingDesktop desktop;
    Form form;
    const QString received = QStringLiteral("a_") + kCyrillicZhe + QStringLiteral("0123456789");
    form.controls->setText(QStringLiteral("Edit19"), received);
    QCOMPARE(form.edit(QStringLiteral("Edit19"))->text(), received);
    QCOMPARE(desktop.alerts, 0);
}

QTEST_MAIN(TestKeyFilters)
#include "tst_keyfilters.moc"
