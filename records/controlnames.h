#pragma once

#include <QStringList>
#include <initializer_list>

// The window's control names as the codecs, rules and defaults spell them, so that a
// numbering scheme is written down once.
namespace names {

// A control name held as plain text, for calls that take a QString.
inline QString latin(const char *name) { return QString::fromLatin1(name); }

// prefix + first, ..., prefix + last: numbered("CheckBox", 1, 9) is a column of nine.
inline QStringList numbered(const char *prefix, int first, int last)
{
    QStringList out;
    for (int n = first; n <= last; ++n)
        out << QLatin1String(prefix) + QString::number(n);
    return out;
}

// RadioButton<n> for each number, in the order given.
inline QStringList radioButtons(std::initializer_list<int> numbers)
{
    QStringList out;
    for (int n : numbers)
        out << QStringLiteral("RadioButton%1").arg(n);
    return out;
}

// The edit boxes of the three numbered blocks.
inline QString phoneEdit(int subscriber) { return QStringLiteral("Edit%1").arg(subscriber); } // 1..9
inline QString keyEdit(int key) { return QStringLiteral("Edit%1").arg(9 + key); }            // 1..9
inline QString smsEdit(int word) { return QStringLiteral("Edit%1").arg(18 + word); }         // 1..12

inline constexpr int kPhones = 9;
inline constexpr int kKeys = 9;
inline constexpr int kSmsWords = 12;

// The internet settings on the page "GPRS-канал". Plain text, so that tables of names
// can hold them as well as calls through Controls.
inline constexpr char kApnEdit[] = "Edit34";    // access point name
inline constexpr char kServerEdit[] = "Edit35"; // monitoring server address
inline constexpr char kPortEdit[] = "Edit40";   // monitoring server port
inline constexpr char kPeriodEdit[] = "Edit37"; // transmission time, seconds

// What the server switch CheckBox57 enables: the server's labels and boxes.
inline QStringList serverGroup()
{
    return {"Label94", "Label95", kServerEdit, kPeriodEdit, "Label109", kPortEdit};
}

} // namespace names
