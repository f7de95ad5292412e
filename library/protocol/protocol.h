// The controller's request/reply protocol: the command vocabulary, how much
// reply each kind of exchange waits for and for how long, and the exchanges
// themselves. One call here is one request frame and one reply frame.
#ifndef KIVRA_PROTOCOL_H
#define KIVRA_PROTOCOL_H

#include "KivraLine.h"
#include "KivraVocabulary.h"
#include "frame.h"

#include <cstdint>

namespace kivra {

// Every command code the library sends on its own account (KivraVocabulary.h).
enum Command : uint16_t
{
    kCmdSetShutterState = KIVRA_CMD_SET_SHUTTER_STATE,
    kCmdSetShutterMode = KIVRA_CMD_SET_SHUTTER_MODE,
    kCmdSetShutterOnTime = KIVRA_CMD_SET_SHUTTER_ON_TIME,
    kCmdSetShutterOffTime = KIVRA_CMD_SET_SHUTTER_OFF_TIME,
    kCmdSetShutterCycleCount = KIVRA_CMD_SET_SHUTTER_CYCLE_COUNT,
    kCmdSetShutterTriggerInMode = KIVRA_CMD_SET_SHUTTER_TRIGGER_IN_MODE,
    kCmdSetShutterTriggerOutMode = KIVRA_CMD_SET_SHUTTER_TRIGGER_OUT_MODE,
    kCmdSetLightLevel = KIVRA_CMD_SET_LIGHT_LEVEL,
    kCmdSetLightTimeOut = KIVRA_CMD_SET_LIGHT_TIME_OUT,
    kCmdSetLightIdleLevel = KIVRA_CMD_SET_LIGHT_IDLE_LEVEL,
    kCmdSetValveType = KIVRA_CMD_SET_VALVE_TYPE,
    kCmdGetShutterState = KIVRA_CMD_GET_SHUTTER_STATE,
    kCmdGetShutterMode = KIVRA_CMD_GET_SHUTTER_MODE,
    kCmdGetShutterOnTime = KIVRA_CMD_GET_SHUTTER_ON_TIME,
    kCmdGetShutterOffTime = KIVRA_CMD_GET_SHUTTER_OFF_TIME,
    kCmdGetShutterCycleCount = KIVRA_CMD_GET_SHUTTER_CYCLE_COUNT,
    kCmdGetShutterTriggerInMode = KIVRA_CMD_GET_SHUTTER_TRIGGER_IN_MODE,
    kCmdGetShutterTriggerOutMode = KIVRA_CMD_GET_SHUTTER_TRIGGER_OUT_MODE,
    kCmdGetLightLevel = KIVRA_CMD_GET_LIGHT_LEVEL,
    kCmdGetLightTimeOut = KIVRA_CMD_GET_LIGHT_TIME_OUT,
    kCmdGetLightIdleLevel = KIVRA_CMD_GET_LIGHT_IDLE_LEVEL,
    kCmdGetValveType = KIVRA_CMD_GET_VALVE_TYPE,
    kCmdGetFrequency = KIVRA_CMD_GET_FREQUENCY,
    kCmdSetInitialState = KIVRA_CMD_SET_INITIAL_STATE,
    kCmdGetInitialState = KIVRA_CMD_GET_INITIAL_STATE,
    kCmdSetIO1TriggerMode = KIVRA_CMD_SET_IO1_TRIGGER_MODE,
    kCmdSetIO2TriggerMode = KIVRA_CMD_SET_IO2_TRIGGER_MODE,
    kCmdGetIO1TriggerMode = KIVRA_CMD_GET_IO1_TRIGGER_MODE,
    kCmdGetIO2TriggerMode = KIVRA_CMD_GET_IO2_TRIGGER_MODE,
    kCmdWriteDevName = KIVRA_CMD_WRITE_DEV_NAME,
    kCmdWriteDevSerial = KIVRA_CMD_WRITE_DEV_SERIAL,
    kCmdGetDeviceName = KIVRA_CMD_GET_DEVICE_NAME,
    kCmdGetDeviceSoftVersion = KIVRA_CMD_GET_DEVICE_SOFT_VERSION,
    kCmdGetSerialNumber = KIVRA_CMD_GET_SERIAL_NUMBER,
    kCmdSetPwmDuty = KIVRA_CMD_SET_PWM_DUTY,
    kCmdSetPwmHz = KIVRA_CMD_SET_PWM_HZ,
    kCmdSetEndPointPwm = KIVRA_CMD_SET_END_POINT_PWM,
    kCmdSetEndPointTime = KIVRA_CMD_SET_END_POINT_TIME,
};

constexpr int kReplyBufferBytes = kFrameBufferBytes;

// The kinds of exchange, each with the reply bytes it waits for and the read
// attempts it may spend, are the vocabulary's (kivraExchanges); its reply
// sizes are frames of this layout.
static_assert(KIVRA_VALUE_REPLY_BYTES == replyFrameBytes(kValueBytes), "a value reply");
static_assert(KIVRA_TEXT_REPLY_BYTES == replyFrameBytes(kTextBytes), "a text reply");
static_assert(KIVRA_DEBUG_REPLY_BYTES == kReplyBufferBytes, "the largest reply");
// The line time the tools measure against counts a value request of this layout.
static_assert(kValueRequestBytes == kRequestHeaderBytes + kValueBytes + kCheckWordBytes,
              "a value request");

// One transaction: builds the request, discards stale input, sends, collects
// up to the kind's wanted reply bytes into reply (kReplyBufferBytes long) and
// validates them. Returns the checkReply() result. The write and the read
// share one deadline, the kind's attempts in read slices (port.h) after the
// start (plus the measured allowance of a network path, for ports reached
// over one; both stretched for tests, teststretch.h), and
// unsent output is dropped then. When the reply is incomplete, what it still
// owes is dropped by the next exchange on the handle (latereplies.h).
int exchange(int handle, int code, const uint8_t *data, int length, KivraExchangeKind kind,
             uint8_t *reply);

// The attempt budget of the last exchange this thread ran on an open port:
// lets tests tell the budgets apart without timing them.
int lastExchangeAttempts();

// Sends value as 4 little-endian bytes; returns the exchange status.
int sendValue(int handle, int code, int32_t value, KivraExchangeKind kind);
int setParameter(int handle, int code, int32_t value);

// Sends 4 zero bytes and decodes the reply's data as an integer (missing high
// bytes are zero). Returns the value, the exchange's code, or kErrNoData.
int getParameter(int handle, int code);

// As getParameter(), the data read as a single-precision number; failure
// codes come back as numbers (-2.0f ...).
float getFloatParameter(int handle, int code);

// Reads a 32-byte text field and copies min(size, 32) bytes of it into
// buffer, adding no terminator. Absent buffer or negative size: -1, nothing
// sent. On failure the buffer is not touched.
int readText(int handle, int code, char *buffer, int size);

// Sends the first min(length, 32) bytes of text zero-padded to 32 bytes, then
// logs "<logTag> <status>". Absent text or negative length: -1, nothing sent
// and nothing logged.
int writeText(int handle, int code, const char *text, int length, int logTag);

// Sends the caller's code and 0..kMaxRequestData data bytes. A length outside
// that range returns -1 and sends nothing.
int sendRaw(int handle, int code, int length, const void *data);

} // namespace kivra

#endif
