// How long the work of one poll and one write takes, on the in-memory controls with
// the interlocks running, so that a change to the codecs or rules can be compared.
//   cmake --build build --target bench_records && ./build/bench_records [iterations]
#include "link/exchangejournal.h"
#include "records/records.h"
#include "records/startvalues.h"
#include "protocol/replies.h"
#include "rules/interlocks.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTextStream>

namespace {

template<typename F>
double nanosPerCall(int iterations, F &&f)
{
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < iterations; ++i)
        f(i);
    return double(clock.nsecsElapsed()) / iterations;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int iterations = argc > 1 ? QByteArray(argv[1]).toInt() : 20000;
    MemoryControls controls = records::startControls();
    interlocks::install(controls);

    const QByteArray payload = records::buildSettings(controls);
    const FramedReply reply = settingsReply(payload);
    // A second record that differs in every count field, so that applying it alternately
    // with the first changes boxes and runs the interlocks.
    QByteArray other = payload;
    for (int at : {0, 1, 2, 3, 30, 38, 49, 55, 56, 57, 72})
        other[at] = '5';
    const FramedReply otherReply = settingsReply(other);

    QTextStream out(stdout);
    out << "iterations: " << iterations << "\n";
    out << "build settings record:   "
        << nanosPerCall(iterations, [&](int) { records::buildSettings(controls); }) / 1000 << " us\n";
    out << "apply settings record:   " << nanosPerCall(iterations, [&](int i) {
        const FramedReply &r = i % 2 ? otherReply : reply;
        records::applySettings(controls, r.text, r.payloadPos);
    }) / 1000 << " us\n";
    out << "find reply words:        "
        << nanosPerCall(iterations, [&](int) { (void)findReplies(reply.text); }) / 1000 << " us\n";
    // What the exchange journal adds to each read that brings a whole reply.
    ExchangeJournal journal;
    out << "journal one reply:       " << nanosPerCall(iterations, [&](int) {
        journal.record(ExchangeJournal::Direction::Received, QStringLiteral("COM1"), reply.text, reply.text.size());
    }) / 1000 << " us\n";
    out << "record length:           " << payload.size() << " bytes\n";
    return 0;
}
