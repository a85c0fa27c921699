#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <deque>

// What went over the line and what came back: every command the serial channel wrote
// and every chunk it read, in order, with the time. It is what support asks for when a
// controller misbehaves. Only the most recent entries are kept, so a port left polling
// all day costs a bounded amount of memory; recording copies the bytes and a time and
// nothing more, the text is made only when a line is shown or saved.
class ExchangeJournal : public QObject
{
    Q_OBJECT

public:
    // A note is the program's own line among the exchange (a snapshot saved, say).
    enum class Direction { Sent, Received, Note };

    struct Entry
    {
        qint64 msecsSinceEpoch = 0;
        Direction direction = Direction::Sent;
        QString port;         // "COM5", as the channel's owner named it; may be empty
        QByteArray bytes;     // the whole command, or the chunk read
        qint64 count = 0;     // bytes the driver took (a short write shows) or read
    };

    static constexpr int kDefaultCapacity = 5000;

    explicit ExchangeJournal(int capacity = kDefaultCapacity, QObject *parent = nullptr);

    void record(Direction direction, const QString &port, const QByteArray &bytes, qint64 count);
    // The text is kept as UTF-8 in the entry's bytes.
    void note(const QString &port, const QString &text);

    const std::deque<Entry> &entries() const { return m_entries; }
    int capacity() const { return m_capacity; }
    void clear();

    // "14:03:07.512  →     9  READ_SET␍"; with the port first ("COM5  14:03:…") when
    // several ports share one journal.
    static QString line(const Entry &entry, bool withPort = false);
    // Every entry's line, each ending with a line feed.
    QString text(bool withPort = false) const;
    // A comment line or two that say what the columns are, for the top of a saved journal.
    static QString heading();
    // The bytes as Windows-1251 text with every control character visible: CR as ␍,
    // LF as ␊, NUL as ␀, any other code without a glyph as \xNN.
    static QString visible(const QByteArray &bytes);

signals:
    void recorded(const ExchangeJournal::Entry &entry);
    void cleared();

private:
    std::deque<Entry> m_entries;
    int m_capacity;
};
