#pragma once

#include <QByteArray>
#include <QObject>

// What a conversation needs of a serial line, and no more: the serial channel is one,
// an in-process scripted controller another. Reads never wait; every write starts from
// a clean line, so a reply can only come from the command just written.
class SerialLine : public QObject
{
    Q_OBJECT

public:
    // The controller's line runs at this rate, 8N1.
    static constexpr int kBaudRate = 9600;

    using QObject::QObject;

    virtual bool isOpen() const = 0;
    // Purges what has arrived unread, then writes the whole text; returns the bytes taken.
    virtual qint64 write(const QByteArray &bytes) = 0;
    // Copies up to capacity bytes that have already arrived; returns at once.
    virtual qint64 read(char *buffer, qint64 capacity) = 0;
    // Bytes received and not read yet.
    virtual qint64 bytesWaiting() const = 0;

signals:
    // The line went away while open; emitted once, from the event loop.
    void lost();
};
