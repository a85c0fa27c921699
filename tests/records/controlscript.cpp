#include "controlscript.h"

namespace script {
namespace {

struct Line
{
    bool enabled = false;
    QString name;
    QString value;
};

Line parse(const QString &line)
{
    Line out;
    QString rest = line;
    if (rest.startsWith(QLatin1String("enabled:"))) {
        out.enabled = true;
        rest = rest.mid(8);
    }
    const qsizetype eq = rest.indexOf(QLatin1Char('='));
    out.name = rest.left(eq);
    out.value = rest.mid(eq + 1);
    return out;
}

bool isCheck(const QString &name)
{
    return name.startsWith(QLatin1String("CheckBox")) || name.startsWith(QLatin1String("RadioButton"));
}

} // namespace

void apply(Controls &c, const QStringList &lines)
{
    for (const QString &text : lines) {
        const Line l = parse(text);
        if (l.enabled)
            c.setEnabled(l.name, l.value == QLatin1String("1"));
        else if (isCheck(l.name))
            c.setChecked(l.name, l.value == QLatin1String("1"));
        else if (l.name.startsWith(QLatin1String("ComboBox")))
            c.setIndex(l.name, l.value.toInt());
        else
            c.setText(l.name, l.value);
    }
}

QStringList mismatches(const Controls &c, const QStringList &lines)
{
    QStringList out;
    for (const QString &text : lines) {
        const Line l = parse(text);
        QString actual;
        if (l.enabled)
            actual = c.enabled(l.name) ? QStringLiteral("1") : QStringLiteral("0");
        else if (isCheck(l.name))
            actual = c.checked(l.name) ? QStringLiteral("1") : QStringLiteral("0");
        else if (l.name.startsWith(QLatin1String("ComboBox")))
            actual = QString::number(c.index(l.name));
        else
            actual = c.text(l.name);
        if (actual != l.value)
            out << QStringLiteral("%1 (is: %2)").arg(text, actual);
    }
    return out;
}

QByteArray reply(const char *word, const QByteArray &payload)
{
    return QByteArray(word) + payload + '\r';
}

QByteArray startFields()
{
    QByteArray r;
    r += "1111";      // 0-3   one SMS recipient per event
    r += "11";        // 4-5   status SMS on call, confirmations
    r += "000000";    // 6-11  every input off
    r += "1";         // 12    output 1: siren with delay
    r += "0";         // 13    no siren confirmation
    r += "0";         // 14    output 5: SMS and DTMF
    r += "1";         // 15    output 2: buzzer
    r += "9";         // 16    microphone sensitivity
    r += "1";         // 17    iButton keys on
    r += "21639";     // 18-22 arming, disarming, siren, dial attempts, listening
    r += "0";         // 23    no input watched while disarmed
    r += "00";        // 24-25 entry delays
    r += "7913";      // 26-29 password
    r += "0";         // 30    thermometer off
    r += "0";         // 31    no thermostat
    r += "40";        // 32-33 upper threshold
    r += "07";        // 34-35 lower threshold
    r += "0";         // 36    power saving
    r += "0";         // 37    jammer detector off
    r += "0";         // 38    no empty-call arming
    r += "1";         // 39    DTMF on
    r += "0";         // 40    extended SMS
    r += "0";         // 41    roaming allowed
    r += "0";         // 42    no pulse mode
    r += "00";        // 43-44 pulse pause
    r += "0";         // 45    low battery: stay on
    r += "00";        // 46-47 reserved
    r += "000";       // 48-50 intercom off
    r += "000";       // 51-53 reserved
    r += "0000";      // 54-57 voice messages off
    r += "0";         // 58    listening-in
    r += "0000000";   // 59-65 reserved
    r += "0";         // 66    balance check off
    r += "10";        // 67-68 minimum balance
    r += "111";       // 69-71 request code
    r += "00";        // 72-73 partial arming off
    r += "000";       // 74-76 reserved
    r += "0";         // 77    no status SMS
    r += "000000";    // 78-83 reserved
    r += "1";         // 84    send to the server
    r += "180";       // 85-87 transmission time
    r += "00";        // 88-89 reserved
    return r;
}

QByteArray startRecord()
{
    QByteArray r = startFields();
    for (int k = 0; k < 9; ++k)
        r += "+380           ";                     // 4 + 11 spaces
    r += "TVX4        " "Ohrana      " "220V        " "AKB         "
         "Temp.       " "Alarm!      " "Input1      " "Input2      "
         "Input3      " "Input4      " "Input5      " "Input6      ";
    r += QByteArray(144, 'F');
    r += "\"www.ab.kyivstar.net\"" "                           "; // 21 + 27
    r += "\"TCP\",";
    r += "\"203.0.113.100\",";
    r += "\"22222\"";
    r += "                 ";                       // 17: 41 - (6 + 13 + 5)
    return r;
}

} // namespace script
