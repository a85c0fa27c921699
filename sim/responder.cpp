#include "sim/responder.h"

#include "sim/recordlayout.h"

namespace sim {

namespace {

Response answer(const QByteArray &reply, bool changed = false)
{
    Response r;
    r.answered = true;
    r.reply = reply + '\r';
    r.recordChanged = changed;
    return r;
}

} // namespace

Response respond(QByteArray &record, const QByteArray &line)
{
    using namespace layout;

    if (line == "READ_SET")
        return answer("READ_SET_" + record);
    if (line == "READ_ABON")
        return answer("READ_ABON_" + readSlots(record, kPhonesAt, kPhoneWidth, kPhoneCount));
    if (line == "READ_DALLAS")
        return answer("READ_DALLAS_" + readKeys(record));
    if (line == "READ_SMS")
        return answer("READ_SMS_" + readSlots(record, kSmsAt, kSmsWidth, kSmsCount));
    if (line == "READ_APN")
        return answer("READ_APN_" + readApnList(record));

    auto payloadOf = [&line](const char *word) { return line.mid(qstrlen(word)); };
    if (line.startsWith("WRITE_SET_")) {
        record = payloadOf("WRITE_SET_");
        return answer("WRITE_SET_OK", true);
    }
    if (line.startsWith("WRITE_ABON_")) {
        writeSlots(record, kPhonesAt, kPhoneWidth, kPhoneCount, payloadOf("WRITE_ABON_"));
        return answer("WRITE_ABON_OK", true);
    }
    if (line.startsWith("WRITE_DALLAS_")) {
        writeKeys(record, payloadOf("WRITE_DALLAS_"));
        return answer("WRITE_DALLAS_OK", true);
    }
    if (line.startsWith("WRITE_SMS_")) {
        writeSlots(record, kSmsAt, kSmsWidth, kSmsCount, payloadOf("WRITE_SMS_"));
        return answer("WRITE_SMS_OK", true);
    }
    if (line.startsWith("WRITE_APN_")) {
        writeApnList(record, payloadOf("WRITE_APN_"));
        return answer("WRITE_APN_OK", true);
    }
    return {};
}

} // namespace sim
