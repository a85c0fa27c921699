#!/usr/bin/env python3
"""Writes the Designer forms of the first four pages (ui/pages/tabsheet1..4.ui).

The pages are fixed-position forms with many repetitive rows (nine subscribers,
six inputs, five outputs); writing them by hand invites slips, so they are made
here and the .ui files are committed. Run from the repository root:

    python3 tools/gen_pages14.py            # writes the four forms
    python3 tools/gen_pages14.py --check    # says whether they are as it writes them

A form edited in Designer is edited here too; the check, run by the tests, keeps the
two from parting.

Fusion at the 11 px window font puts a check box's or radio button's caption 20 px
right of its left edge; continuation labels are indented by that much so that the
two lines read as one caption.
"""

import sys
from pathlib import Path
from xml.sax.saxutils import escape

PAGE_W, PAGE_H = 754, 322
TEXT_INDENT = 20   # caption offset of a check box / radio button
RADIO_PITCH = 19
BUTTON_H = 17      # check box and radio button height
LABEL_H = 14
EDIT_H = 21
COMBO_H = 22

BLUE = ('<property name="palette"><palette>'
        '<active><colorrole role="WindowText"><brush brushstyle="SolidPattern">'
        '<color alpha="255"><red>0</red><green>0</green><blue>255</blue></color>'
        '</brush></colorrole></active>'
        '<inactive><colorrole role="WindowText"><brush brushstyle="SolidPattern">'
        '<color alpha="255"><red>0</red><green>0</green><blue>255</blue></color>'
        '</brush></colorrole></inactive><disabled/></palette></property>')

SECONDS_10 = [f"{10 * i} сек." for i in range(10)]
SECONDS_30 = [f"{30 * i} сек." for i in range(10)]
DIGITS = [str(i) for i in range(10)]


def s(text):
    # Designer keeps blanks as they are inside <string>; notr keeps the
    # texts out of translation, there is none.
    return f'<string notr="true">{escape(text)}</string>'


class W:
    """One widget with its properties and children, written as Designer XML."""

    def __init__(self, cls, name, x, y, w, h, **props):
        self.cls, self.name = cls, name
        self.geom = (x, y, w, h)
        self.props = props
        self.children = []

    def add(self, *children):
        self.children.extend(children)
        return self

    def xml(self, indent):
        pad = " " * indent
        out = [f'{pad}<widget class="{self.cls}" name="{self.name}">']
        x, y, w, h = self.geom
        p = pad + " "
        out.append(f'{p}<property name="geometry"><rect><x>{x}</x><y>{y}</y>'
                   f'<width>{w}</width><height>{h}</height></rect></property>')
        for key, value in self.props.items():
            if key == "items":
                for item in value:
                    out.append(f'{p}<item><property name="text">{s(item)}</property></item>')
            elif key == "blue":
                out.append(p + BLUE)
            elif key == "raw":
                out.append(p + value)
            elif isinstance(value, bool):
                out.append(f'{p}<property name="{key}"><bool>{"true" if value else "false"}</bool></property>')
            elif isinstance(value, int):
                out.append(f'{p}<property name="{key}"><number>{value}</number></property>')
            else:
                out.append(f'{p}<property name="{key}">{s(value)}</property>')
        for child in self.children:
            out.append(child.xml(indent + 1))
        out.append(f'{pad}</widget>')
        return "\n".join(out)


def group(name, x, y, w, h, title, tip=None):
    props = {"title": title}
    if tip:
        props["toolTip"] = tip
    return W("QGroupBox", name, x, y, w, h, **props)


def label(name, x, y, w, text, **props):
    return W("QLabel", name, x, y, w, LABEL_H, text=text, **props)


def counter(name, x, y, text):
    return W("QLabel", name, x, y, 32, LABEL_H, text=text, blue=True)


def check(name, x, y, w, text="", checked=False, tip=None, **props):
    p = {"text": text}
    if checked:
        p["checked"] = True
    if tip:
        p["toolTip"] = tip
    p.update(props)
    return W("QCheckBox", name, x, y, w, BUTTON_H, **p)


def radio(name, x, y, w, text, checked=False, tip=None):
    p = {"text": text}
    if checked:
        p["checked"] = True
    if tip:
        p["toolTip"] = tip
    return W("QRadioButton", name, x, y, w, BUTTON_H, **p)


def edit(name, x, y, w, text, max_length, tip=None, **props):
    p = {"text": text, "maxLength": max_length}
    if tip:
        p["toolTip"] = tip
    p.update(props)
    return W("QLineEdit", name, x, y, w, EDIT_H, **p)


def combo(name, x, y, w, items, current, tip=None, editable=False):
    p = {}
    if editable:
        p["editable"] = True
        p["raw"] = '<property name="insertPolicy"><enum>QComboBox::NoInsert</enum></property>'
    p["items"] = items
    p["currentIndex"] = current
    if tip:
        p["toolTip"] = tip
    return W("QComboBox", name, x, y, w, COMBO_H, **p)


def button(name, x, y, w, text, tip=None):
    p = {"text": text}
    if tip:
        p["toolTip"] = tip
    return W("QPushButton", name, x, y, w, 25, **p)


def radio_set(box, x, y0, w, entries, pitch=RADIO_PITCH):
    """entries: (name, caption, checked, tip); returns the y after the set."""
    y = y0
    for name, caption, checked, tip in entries:
        box.add(radio(name, x, y, w, caption, checked, tip))
        y += pitch
    return y


def form(cls, children):
    body = "\n".join(c.xml(2) for c in children)
    return f"""<?xml version="1.0" encoding="UTF-8"?>
<ui version="4.0">
 <class>{cls}</class>
 <widget class="QWidget" name="{cls}">
  <property name="geometry"><rect><x>0</x><y>0</y><width>{PAGE_W}</width><height>{PAGE_H}</height></rect></property>
{body}
 </widget>
 <resources/>
 <connections/>
</ui>
"""


# ---------------------------------------------------------------- page 1

def page1():
    top, height = 2, 318
    first_row = 37     # y of row 1 inside the three subscriber groups
    pitch = 32

    phones = group("GroupBox21", 4, top, 164, height, "Телефонные номера")
    row_labels = ["Label24", "Label25", "Label28", "Label32", "Label34", "Label36",
                  "Label38", "Label40", "Label42"]
    counters = ["Label127", "Label19", "Label29", "Label33", "Label35", "Label37",
                "Label39", "Label41", "Label43"]
    for n in range(1, 10):
        y = first_row + (n - 1) * pitch
        phones.add(label(row_labels[n - 1], 8, y + 4, 10, str(n)),
                   edit(f"Edit{n}", 20, y, 104, "+380", 14, f"Номер {n}-го абонента"),
                   counter(counters[n - 1], 128, y + 4, "0/14"))

    sms = group("GroupBox19", 172, top, 358, height, "SMS-оповещение")
    col_w, col_pitch = 68, 69
    columns = [
        ("Label1", "Тревога", 1, "Отправка SMS о тревоге {}-му абоненту", True),
        ("Label26", "Постановка", 10, "Отправка SMS о постановке/снятии на охрану {}-му абоненту", True),
        ("Label18", "220 В", 19, "Отправка SMS о пропадании внешнего питания {}-му абоненту", True),
        ("Label31", "АКБ", 28, None, True),
        ("Label91", "Температура", 37,
         "Отправка SMS о превышении температурного порога {}-му абоненту", False),
    ]
    for c, (head, caption, first, tip, row1_on) in enumerate(columns):
        x = 8 + c * col_pitch
        sms.add(label(head, x, 22, col_w, caption,
                      raw='<property name="alignment"><set>Qt::AlignCenter</set></property>'))
        for n in range(1, 10):
            if tip is None:
                # The battery column's hints carry one blank more in most rows.
                blanks = "   " if n in (1, 3, 6) else "    "
                hint = f"Отправка SMS о разряде АКБ{blanks}{n}-му абоненту"
            else:
                hint = tip.format(n)
            y = first_row + (n - 1) * pitch + 2
            sms.add(check(f"CheckBox{first + n - 1}", x + (col_w - 16) // 2, y, 16,
                          checked=row1_on and n == 1, tip=hint))

    empty = group("GroupBox20", 534, top, 94, height, "   Постановка")
    empty.add(label("Label45", 6, 22, 84, "пустым звонком"))
    for n in range(1, 10):
        y = first_row + (n - 1) * pitch + 2
        empty.add(check(f"CheckBox{57 + n}", (94 - 16) // 2, y, 16,
                        tip=f"Постановка/снятие пустым звонком для {n}-го абонента"))

    x = 634
    right = [
        check("CheckBox76", x, top + first_row + 2, 116, "Отправка SMS", True,
              "Отправка расшыреного SMS с состоянием системы"),
        label("Label2", x + TEXT_INDENT, top + first_row + 20, 96, "в ответ на звонок"),
        check("CheckBox77", x, top + first_row + 2 + 2 * pitch, 116, "Подтверждение ", True,
              "Отправка SMS в ответ на SMS и DTMF-команды"),
        label("Label3", x + TEXT_INDENT, top + first_row + 20 + 2 * pitch, 96, "выполнения SMS"),
        label("Label4", x + TEXT_INDENT, top + first_row + 34 + 2 * pitch, 96, "команд"),
        button("Button18", x, top + height - 29, 116, "Сбросить телефоны",
               "Очистить номера телефонов в таблице"),
    ]
    return form("TabSheet1", [phones, sms, empty] + right)


# ---------------------------------------------------------------- page 2

def page2():
    children = []

    # Column 1: jammer detector, anti-roaming, low battery.
    x, w = 4, 200
    jam = group("GroupBox18", x, 2, w, 96, "Детектор GSM-глушилок",
                "При детектировании GSM-глушилок устройство может отправлять SMS и включать сирену")
    y = radio_set(jam, 8, 22, w - 12, [
        ("RadioButton32", "Выключен", True, None),
        ("RadioButton33", "Работает отправка SMS ", False, None),
        ("RadioButton34", "Работает отправка SMS", False, None)])
    jam.add(label("Label84", 8 + TEXT_INDENT, y - 2, w - 36, "и включение сирены"))

    roam = group("GroupBox22", x, 102, w, 102, "Функция Анти-Роуминг",
                 "Функция запрещае переход в GSM-соединения в роуминг. "
                 "Актуально только для приграничных районов!")
    radio_set(roam, 8, 22, w - 12, [
        ("RadioButton35", "Роуминг разрешен", True, None),
        ("RadioButton36", "Запрещен, сеть \"Киевстар\" ", False, None),
        ("RadioButton37", "Запрещен, сеть \"МТС\"", False, None),
        ("RadioButton38", "Запрещен, сеть \"Life\"", False, None)])

    bat = group("GroupBox23", x, 208, w, 96, "При разряде АКБ ниже 10,5В",
                "Детектор разряда АКБ может выключить устройство при низком разряде АКБ")
    y = radio_set(bat, 8, 22, w - 12, [
        ("RadioButton39", "Не выключать устройство", True, None),
        ("RadioButton40", "Выключать устройство ", False, None),
        ("RadioButton41", "Выключать устройство", False, None)])
    bat.add(label("Label17", 8 + TEXT_INDENT, y - 2, w - 32, "и выключать силовые выходы"))
    children += [jam, roam, bat]

    # Column 2: time settings over the microphone.
    x, w = 208, 150
    times = group("GroupBox14", x, 2, w, 150, "Временные параметры")
    y = 22
    for lab, caption, name, tip, current in [
            ("Label81", "Постановка на охрану", "ComboBox19", "Время постановки на охрану", 2),
            ("Label82", "Снятие с охраны", "ComboBox21", "Время снятия с охраны", 1),
            ("Label83", "Работта сирены", "ComboBox22", "Время работы сирены", 6)]:
        times.add(label(lab, 10, y, w - 20, caption),
                  combo(name, 10, y + 15, 110, SECONDS_10, current, tip))
        y += 42
    mic = group("GroupBox17", x, 158, w, 108, "Функции микрофона")
    mic.add(label("Label93", 10, 22, w - 20, "Время прослушивания"),
            combo("ComboBox30", 10, 37, 110, SECONDS_10, 9, "Время прослушивания звукового фона"),
            label("Label90", 10, 64, w - 20, "Чувствительность"),
            combo("ComboBox27", 10, 79, 110, DIGITS, 9, "Чувствительность микрофона"))
    children += [times, mic]

    # Column 3: dial attempts over the automatic status SMS.
    x, w = 362, 192
    dial_tip = "Количество циклов дозвона всем абонентам при тревоге"
    dial = group("GroupBox1", x, 2, w, 68, "Количество попыток", dial_tip)
    dial.add(label("Label7", 10, 22, 80, "дозвона"),
             combo("ComboBox2", 10, 38, 120,
                   ["Нет дозвона", "1 дозвон", "2 дозвона", "3 дозвона", "4 дозвона",
                    "5 дозвонов", "6 дозвонов", "7 дозвонов", "8 дозвонов", "9 дозвонов"],
                   3, dial_tip, editable=True))
    auto = group("GroupBox29", x, 76, w, 160, "Автоматическое SMS о состоянии",
                 "Отправка SMS о состоянии системы каждые 24, 12, 6 или 3 часа.")
    radio_set(auto, 8, 22, w - 12, [
        ("RadioButton42", "Не отправлять", True, None),
        ("RadioButton43", "Отправлять раз в 12 часа", False, None),
        ("RadioButton44", "Отправлять раз в 24 часа", False, None),
        ("RadioButton45", "Отправлять раз в 3 дня", False, None),
        ("RadioButton46", "Отправлять раз в 7 дней", False, None),
        ("RadioButton47", "Отправлять раз в 14 дней", False, None),
        ("RadioButton48", "Отправлять раз в 30 дней", False, None)])
    children += [dial, auto]

    # Column 4: DTMF, power saving, balance check, password.
    x, w = 558, 192
    children += [
        check("CheckBox68", x + 4, 6, 150, "Вкл. DTMF", True,
              "Функция детектирования тоновых сигналов DTMF "),
        check("CheckBox47", x + 4, 26, w - 8, "Режим энергосбережения", False,
              "Данный режим рекомендуеться только для устройств с аккумуляторным питанием"),
        label("Label88", x + 4 + TEXT_INDENT, 43, 120, "(не рекомендуется)"),
    ]
    bal = group("GroupBox27", x, 60, w, 128, "Проверка счета",
                "Счет проверяеться каждый раз после использования  платной функции - "
                "отправка исходящих SMS и звонка.")
    bal.add(check("CheckBox80", 8, 22, 120, "Вкл. проверку"),
            label("Label10", 10, 42, 100, "Код запроса", enabled=False),
            label("Label9", 10, 61, 8, "*", enabled=False),
            edit("Edit36", 20, 57, 40, "111", 3, enabled=False),
            label("Label8", 64, 61, 10, "#", enabled=False),
            label("Label11", 10, 84, 130, "Минимальный баланс", enabled=False),
            edit("Edit38", 10, 99, 32, "10", 2, enabled=False),
            label("Label12", 48, 103, 40, "грн.", enabled=False))
    pwd = group("GroupBox16", x, 194, w, 72, "Пароль", "Пароль доступа в SMS командах.")
    pwd.add(edit("Edit31", 10, 22, 52, "7913", 4, "Пароль для SMS команд"),
            counter("Label85", 68, 26, "0/4"),
            label("Label86", 10, 50, 120, "Только цифры!"))
    children += [bal, pwd]
    return form("TabSheet2", children)


# ---------------------------------------------------------------- page 3

def page3():
    hints = ("Датчики типа - тревожная кнопка",
             "Датчики типа - Движения, Герконовые, Дыма и другие")
    inputs = [
        ("GroupBox2", "Вход 1", "Режим работы входа №1", 1),
        ("GroupBox4", "Вход 2", "Режим работы входа №2", 4),
        ("GroupBox5", "Вход 3", "Режим работы входа №3", 7),
        ("GroupBox6", "Вход 4", "Режим работа входа №4", 10),
        ("GroupBox7", "Вход 5", "Режим работы входа №5", 13),
        ("GroupBox8", "Вход 6", "Режим работы входа №6", 16),
    ]
    delay_tip = "Включает задержку на вход  после постановки"
    w, h = 246, 154
    boxes = []
    for i, (name, title, tip, first) in enumerate(inputs):
        x, y = 4 + (i % 3) * 250, 4 + (i // 3) * 160
        box = group(name, x, y, w, h, title, tip)
        entries = [
            (f"RadioButton{first}", "Выключен", True, None),
            (f"RadioButton{first + 1}", "Работает на замыкание", False, hints[0]),
            (f"RadioButton{first + 2}", "Работает на обрыв шлейфа", False, hints[1]),
        ]
        if first == 1:
            entries += [
                ("RadioButton19", "Постановка на охрану - кнопка", False,
                 "Переводит Вход №1 как вход для постановки снятия устройства на охрану - кнопка"),
                ("RadioButton20", "Постановка на охрану - тумблер", False,
                 "Переводит Вход №1 как вход для постановки снятия устройства на охрану - тумблер"),
            ]
        yy = radio_set(box, 10, 22, w - 16, entries)
        if first in (4, 10):
            box.add(check("CheckBox48" if first == 4 else "CheckBox54", 10, yy + 6, w - 16,
                          "Работа в режиме без охраны"))
            yy += 25
        if first in (4, 7):
            box.add(label("Label87" if first == 4 else "Label89", 10, yy + 6, w - 16,
                          "Задержка при постановке на охрану"),
                    combo("ComboBox24" if first == 4 else "ComboBox26", 10, yy + 22, 100,
                          SECONDS_30, 0, delay_tip))
        boxes.append(box)
    return form("TabSheet3", boxes)


# ---------------------------------------------------------------- page 4

def page4():
    def output_box(name, n, x, y, w, h, radios, pulse):
        box = group(name, x, y, w, h, f"Выход {n}")
        yy = radio_set(box, 10, 22, w - 16, radios)
        box.add(check(pulse, 10, yy + 5, w - 16, "Вкл. импульсный режим"))
        return box, yy + 5 + RADIO_PITCH

    def sms_dtmf(name, n, on):
        return (name, "SMS и DTMF управление", on,
                f"Выход {n} - управляеться при помощи SMS и DTMF-команд")

    siren_tip = "Выход 1 - работает как выход на сирену при срабатывании входов"
    out1, yy = output_box("GroupBox9", 1, 4, 4, 244, 190, [
        sms_dtmf("RadioButton21", 1, False),
        ("RadioButton22", "Выход на сирену - с задержкой", True, siren_tip),
        ("RadioButton23", "Выход на сирену - без задержки", False, siren_tip)], "CheckBox49")
    yy += 6
    out1.add(check("CheckBox78", 10, yy, 228, "Подтверждение постановки сиреной"),
             label("Label5", 10 + TEXT_INDENT, yy + 17, 200, "1 - звукой сигнал"),
             check("CheckBox79", 10, yy + 38, 228, "Подверждение снятия  сиреной"),
             label("Label6", 10 + TEXT_INDENT, yy + 55, 200, "2 - звукових сигнала"))
    out2, _ = output_box("GroupBox10", 2, 4, 200, 244, 88, [
        sms_dtmf("RadioButton24", 2, False),
        ("RadioButton25", "Выход на буззер", True, None)], "CheckBox50")

    x, w = 254, 250
    out3, _ = output_box("GroupBox11", 3, x, 4, w, 88, [
        sms_dtmf("RadioButton26", 3, True),
        ("RadioButton27", "Выход термостата - нижний порог", False,
         "Выход включаеться при пересечении нижнего температурного порога")], "CheckBox51")
    out4, _ = output_box("GroupBox12", 4, x, 98, w, 88, [
        sms_dtmf("RadioButton28", 4, True),
        ("RadioButton29", "Выход термостата - верхний порог", False,
         "Выход включаеться при пересечении верхнего температурного порога")], "CheckBox52")
    out5, _ = output_box("GroupBox13", 5, x, 192, w, 88, [
        sms_dtmf("RadioButton30", 5, True),
        ("RadioButton31", "Выход управления питанием датчиков", False,
         "Выход включеться при постановке на охрану и выключаеться при сняти с охраны")],
        "CheckBox53")

    pause = group("GroupBox15", 510, 4, 240, 74, "Время паузы импульсного режима",
                  "Время импульса на выходах при активации режима импульсного выхода")
    pause.add(label("Label78", 10, 22, 80, "Секунды"),
              combo("ComboBox18", 10, 38, 70, DIGITS, 0),
              label("Label80", 88, 42, 10, "+"),
              label("Label79", 104, 22, 90, "Милисикунды"),
              combo("ComboBox20", 104, 38, 80, [str(100 * i) for i in range(10)], 0))
    return form("TabSheet4", [out1, out2, out3, out4, out5, pause])


def main(argv):
    check = argv[1:] == ["--check"]
    if argv[1:] and not check:
        print(f"usage: {argv[0]} [--check]", file=sys.stderr)
        return 2
    pages = Path(__file__).resolve().parent.parent / "ui" / "pages"
    differing = []
    for n, build in enumerate([page1, page2, page3, page4], start=1):
        path = pages / f"tabsheet{n}.ui"
        if not check:
            path.write_text(build(), encoding="utf-8")
        elif not path.exists() or path.read_text(encoding="utf-8") != build():
            differing.append(str(path))
    for path in differing:
        print(f"{path} is not what {argv[0]} writes", file=sys.stderr)
    return 1 if differing else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
