// Serial transport: opens, configures and polls ports. It knows nothing of
// frames; the protocol layer hands it byte buffers. One implementation file per
// platform (serial_posix.cpp, serial_win.cpp) is picked by CMake.
#ifndef KIVRA_SERIAL_H
#define KIVRA_SERIAL_H

#include <cstddef>
#include <cstdint>

namespace kivra {

// Line settings applied at every open.
constexpr int kBaudRate = 115200;
constexpr int kDataBits = 8;
constexpr int kStopBits = 2;
constexpr int kParityNone = 0;

// Largest wanted count readReply() accepts (its staging buffer).
constexpr int kStagingBytes = 256;

// Opens and configures a port by name (bare name or absolute path). Returns a
// handle > 0 registered in the open-handle table, or -1.
int openPort(const char *name);

// Applies the line settings to an open handle; failures are not reported.
void configureLine(int handle, int baudRate, int byteSize, int stopBits, int parity);

// Discards unread input, then starts sending count bytes. Returns the bytes
// accepted at once; a handle not in the table sends nothing and returns 0.
int writeFrame(int handle, const uint8_t *bytes, int count);

// Polls up to attempts times (pausing at most 1 ms while nothing arrives) until
// wanted bytes have arrived. Copies the first wanted bytes (zero-padded) into
// target and returns the count received, or -1 when a read fails (target is
// then untouched). A handle not in the table fails at once.
int readReply(int handle, uint8_t *target, int wanted, int attempts);

// 1 when the port cannot be opened now, 0 when it could (opened, closed again).
int probePort(const char *name);

// Closes a handle from openPort(); unknown handles are ignored.
void closePort(int handle);

// Writes the comma-separated port names into buffer (see listPorts). Returns
// the number of names, or -1.
int enumeratePorts(char *buffer, int size);

} // namespace kivra

#endif
