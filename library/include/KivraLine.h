/*
 * KivraLine: the controller's serial line as every kind of port sets it up,
 * and the time bytes take on it at that rate. The library opens its ports
 * with these settings; the simulator paces its bytes by them; the kivra tool
 * and the benchmarks set measured exchange times against them.
 *
 *     const auto ms = std::chrono::duration<double, std::milli>(
 *         kivra::kValueExchangeLineTime).count(); // about 2.48
 *
 * C++17, header only, nothing exported.
 */
#ifndef KIVRA_LINE_H
#define KIVRA_LINE_H

#include "KivraVocabulary.h"

#include <chrono>

namespace kivra {

// 115200 baud, 8 data bits, no parity, 2 stop bits.
inline constexpr int kLineBaud = 115200;
inline constexpr int kLineDataBits = 8;
inline constexpr int kLineParityBits = 0;
inline constexpr int kLineStopBits = 2;

// A byte on the line: its start bit, then the data, parity and stop bits.
inline constexpr int kLineBitsPerByte = 1 + kLineDataBits + kLineParityBits + kLineStopBits;

// The time count bytes take on the line, to the nanosecond below.
constexpr std::chrono::nanoseconds lineTime(long long count)
{
    return std::chrono::nanoseconds(count * kLineBitsPerByte * 1000000000LL / kLineBaud);
}

// A parameter's request: the 6-byte header, the 4-byte value, the check word.
inline constexpr int kValueRequestBytes = 6 + 4 + 2;

// A parameter read or write with nothing but the line in between: its
// request and its reply.
inline constexpr std::chrono::nanoseconds kValueExchangeLineTime =
    lineTime(kValueRequestBytes + KIVRA_VALUE_REPLY_BYTES);

} // namespace kivra

#endif /* KIVRA_LINE_H */
