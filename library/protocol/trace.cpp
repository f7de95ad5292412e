#include "trace.h"

#include "frame.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace kivra {

namespace {

bool traceSwitch()
{
    const char *value = std::getenv("KIVRA_TRACE");
    return value && *value && std::strcmp(value, "0") != 0;
}

// The debug exchange carries any code, so its code alone does not name the
// call; its kind does.
bool isDebugExchange(const KivraExchange &shape)
{
    return shape.kind == KIVRA_EXCHANGE_DEBUG;
}

// What the vocabulary says the code's exchange is; the debug exchange, whose
// code is the caller's, is told by its kind alone.
const KivraCommand *commandOf(int code, const KivraExchange &shape)
{
    return kivraCommand(isDebugExchange(shape) ? KIVRA_CMD_CALLERS_CODE : code);
}

bool isKind(const KivraCommand *command, KivraExchangeKind kind)
{
    return command && command->kind == kind;
}

void putHex(const uint8_t *bytes, int count)
{
    for (int i = 0; i < count; ++i) {
        std::fprintf(stderr, " %02X", bytes[i]);
    }
}

// The decoded reply data, as the exported call will return it.
void putDecoded(int code, const KivraExchange &shape, const uint8_t *reply)
{
    uint8_t data[kFrameBufferBytes] = {};
    const int length = copyPayload(reply, data, kFrameBufferBytes);
    if (length < 0) {
        return;
    }
    const KivraCommand *command = commandOf(code, shape);
    if (isKind(command, KIVRA_EXCHANGE_DEBUG)) {
        std::fprintf(stderr, " data=%d bytes", length);
        return;
    }
    if (isKind(command, KIVRA_EXCHANGE_TEXT_READ)) {
        std::fprintf(stderr, " text=\"");
        for (int i = 0; i < length && i < kTextBytes && data[i]; ++i) {
            const bool printable = data[i] >= 0x20 && data[i] < 0x7F && data[i] != '"';
            std::fprintf(stderr, printable ? "%c" : "\\x%02X", data[i]);
        }
        std::fprintf(stderr, "\"");
        return;
    }
    const bool frequency = isKind(command, KIVRA_EXCHANGE_FREQUENCY);
    if (length == 0 || length > kValueBytes ||
        !(frequency || isKind(command, KIVRA_EXCHANGE_GET))) {
        return;
    }
    uint32_t bits = 0;
    for (int i = 0; i < kValueBytes; ++i) {
        bits |= static_cast<uint32_t>(data[i]) << (8 * i);
    }
    if (frequency) {
        float value;
        std::memcpy(&value, &bits, sizeof value);
        std::fprintf(stderr, " value=%g", static_cast<double>(value));
    } else {
        std::fprintf(stderr, " value=%d", static_cast<int32_t>(bits));
    }
}

const char *commandName(int code, const KivraExchange &shape)
{
    const KivraCommand *command = commandOf(code, shape);
    return command ? command->function : "unknown";
}

} // namespace

const bool kTraceEnabled = traceSwitch();

void traceRequest(Port &port, int code, const KivraExchange &shape, const uint8_t *frame, int size)
{
    const int stale = port.pendingInput();
    if (stale > 0) {
        std::fprintf(stderr, "-- discarding %d stale byte%s\n", stale, stale == 1 ? "" : "s");
    }
    std::fprintf(stderr, "-> %s", commandName(code, shape));
    if (isDebugExchange(shape)) {
        std::fprintf(stderr, " code=%d", code & 0xFFFF);
    }
    if (size <= 0) {
        std::fprintf(stderr, " (nothing sent: data missing)\n");
        return;
    }
    putHex(frame, size);
    std::fprintf(stderr, "\n");
}

void traceHeld(int code, const KivraExchange &shape)
{
    std::fprintf(stderr, "-> %s not sent: the last reply is still owed on the network (%d)\n",
                 commandName(code, shape), kErrNoReply);
}

void traceReply(int code, const KivraExchange &shape, const uint8_t *reply, int received,
                int result, Clock::duration budget)
{
    const long long budgetMs =
        std::chrono::duration_cast<std::chrono::milliseconds>(budget).count();
    if (received < 0) {
        std::fprintf(stderr, "<- read failed: port closed or hung up (%d)\n", result);
        return;
    }
    if (received == 0) {
        std::fprintf(stderr, "<- timeout: no reply within %lld ms (%d)\n", budgetMs, result);
        return;
    }
    std::fprintf(stderr, "<- %d bytes", received);
    if (result == kErrNoReply) {
        std::fprintf(stderr, ", timeout: %d of %d within %lld ms (%d)", received, shape.wanted,
                     budgetMs, result);
    } else if (result == kOk) {
        std::fprintf(stderr, " ok");
        putDecoded(code, shape, reply);
    } else {
        std::fprintf(stderr, " %s (%d)", kivraResultText(result), result);
    }
    std::fprintf(stderr, " |");
    putHex(reply, received < shape.wanted ? received : shape.wanted);
    std::fprintf(stderr, "\n");
}

} // namespace kivra
