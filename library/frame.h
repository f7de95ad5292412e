// Frame code: pure functions over byte buffers, no I/O.
#ifndef KIVRA_FRAME_H
#define KIVRA_FRAME_H

#include <cstdint>

namespace kivra {

constexpr uint16_t kRequestStart = 0xAA55; // wire bytes 55 AA
constexpr uint16_t kReplyStart = 0x55AA;   // wire bytes AA 55
constexpr uint16_t kStatusOk = 1;
constexpr uint16_t kStatusOkAlt = 238;
constexpr int kRequestHeaderBytes = 6;
constexpr int kReplyHeaderBytes = 8;
constexpr int kCheckWordBytes = 2;
constexpr int kFrameBufferBytes = 64;
constexpr int kMaxRequestData = kFrameBufferBytes - kRequestHeaderBytes - kCheckWordBytes; // 56
constexpr int kMinReplyBytes = kReplyHeaderBytes + kCheckWordBytes;                       // 10

// Result codes shared by every exchange.
enum Result : int {
    kOk = 0,
    kErrArgument = -1,
    kErrNoReply = -2,
    kErrStartWord = -3,
    kErrLength = -4,
    kErrStatus = -5,
    kErrCheckWord = -6,
    kErrNoData = -10,
};

int buildFrame(uint8_t *buffer, int code, int length, const uint8_t *data);
int checkReply(const uint8_t *reply, int count);
int copyPayload(const uint8_t *reply, uint8_t *target, int capacity);

} // namespace kivra

#endif
