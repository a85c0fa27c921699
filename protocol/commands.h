#pragma once

// Command words sent to the controller. Every command is its word, an optional payload
// and one carriage return.
namespace command {

inline constexpr char kCarriageReturn = '\r';

inline constexpr char kReadSettings[] = "READ_SET";
inline constexpr char kReadPhones[] = "READ_ABON";
inline constexpr char kReadKeys[] = "READ_DALLAS";
inline constexpr char kReadSms[] = "READ_SMS";
inline constexpr char kReadGprs[] = "READ_APN";

inline constexpr char kWriteSettings[] = "WRITE_SET_";
inline constexpr char kWritePhones[] = "WRITE_ABON_";
inline constexpr char kWriteKeys[] = "WRITE_DALLAS_";
inline constexpr char kWriteSms[] = "WRITE_SMS_";
inline constexpr char kWriteGprs[] = "WRITE_APN_";

} // namespace command
