/*
 * KivraLibrary: C interface to the Kivra optical shutter controller.
 *
 * Every device call performs exactly one request/reply exchange on the serial
 * line and blocks until the reply is complete or the attempt budget has run
 * out. The library keeps no state between calls except the table of handles it
 * has opened; the caller owns each handle from openSerial() to closeSerial().
 * Handles are never reused within a process: a closed handle fails with -2
 * and never reaches a port opened after it.
 *
 * A call never takes longer than its reply budget (30 ms; 14 ms for text
 * writes and drive tuning, 28 ms for sendDebugData) plus a few milliseconds,
 * also when the controller stops reading. A reply that comes after the
 * budget has run out is dropped by the next call on that handle, which sends
 * at once and drops the late frame as it arrives ahead of its own reply, so
 * it never becomes another call's result. What remains: a reply later than
 * twice the budget after its request can still be taken for the reply of a
 * later call, as the protocol carries no sequence numbers.
 *
 * Results: 0 or more is success (a getter returns the value), a negative value
 * is a failure code:
 *   -1  absent argument or buffer, bad length, or a port that cannot be opened
 *   -2  no (complete) answer within the attempt budget, or a handle not open
 *   -3  reply start word wrong
 *   -4  reply byte count differs from its data length + 10
 *   -5  reply status neither 1 nor 238
 *   -6  reply check word wrong
 *   -10 good reply without usable data
 *
 * Threads: calls on different handles may run on different threads at the
 * same time. Calls on one handle run one after the other (a second waits for
 * the first), and closeSerial() waits for the exchange in progress on that
 * handle before it closes the port.
 */
#ifndef KIVRA_LIBRARY_H
#define KIVRA_LIBRARY_H

#if defined(_WIN32)
#if defined(KIVRA_BUILDING_LIBRARY)
#define KIVRA_API __declspec(dllexport)
#else
#define KIVRA_API __declspec(dllimport)
#endif
#else
#define KIVRA_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Ports */

/* Writes the port names, comma-separated and zero-terminated, into the
 * caller's buffer of size bytes (names that do not fit are left out).
 * Returns the number of names written, or -1. */
KIVRA_API int listPorts(char *buffer, int size);
/* Opens the named port exclusively at 115200 8N2. Returns a handle > 0, or -1. */
KIVRA_API int openSerial(const char *portName);
/* 1 when the port cannot be opened now (in use or absent), 0 when it could
 * be (it is opened and closed again in passing), -1 for an absent name. */
KIVRA_API int isSerialOpen(const char *portName);
/* Closes a handle from openSerial(). Returns 0, also for an unknown handle. */
KIVRA_API int closeSerial(int handle);

/* Parameter setters: send the value, return 0 or a negative code. */
KIVRA_API int setShutterState(int handle, int value);          /* 1 open, 2 closed */
KIVRA_API int setShutterMode(int handle, int value);           /* 1..4 */
KIVRA_API int setShutterOnTime(int handle, int value);         /* ms */
KIVRA_API int setShutterOffTime(int handle, int value);        /* ms */
KIVRA_API int setShutterCycleCount(int handle, int value);
KIVRA_API int setShutterTriggerInMode(int handle, int value);  /* 1 rising, 2 falling */
KIVRA_API int setShutterTriggerOutMode(int handle, int value); /* 1 high, 2 low */
KIVRA_API int setLightLevel(int handle, int value);            /* 0..100 */
KIVRA_API int setLightTimeOut(int handle, int value);          /* minutes */
KIVRA_API int setLightIdleLevel(int handle, int value);        /* 0..100 */
KIVRA_API int setValveType(int handle, int value);             /* 1 or 2 */
KIVRA_API int setInitialState(int handle, int value);          /* 1 open, 2 closed */

/* Parameter getters: return the value (0 or more) or a negative code. */
KIVRA_API int getShutterState(int handle);
KIVRA_API int getShutterMode(int handle);
KIVRA_API int getShutterOnTime(int handle);
KIVRA_API int getShutterOffTime(int handle);
KIVRA_API int getShutterCycleCount(int handle);
KIVRA_API int getShutterTriggerInMode(int handle);
KIVRA_API int getShutterTriggerOutMode(int handle);
KIVRA_API int getLightLevel(int handle);
KIVRA_API int getLightTimeOut(int handle);
KIVRA_API int getLightIdleLevel(int handle);
KIVRA_API int getValveType(int handle);
KIVRA_API int getInitialState(int handle);
/* The shutter frequency in Hz, or a negative code as a number (-2.0f ...). */
KIVRA_API float getFrequency(int handle);

/* Text reads: copy min(size, 32) bytes of the controller's 32-byte field into
 * the caller's buffer and return 0; no terminator is added. On failure the
 * buffer is not touched. A negative size returns -1. */
KIVRA_API int getDeviceName(int handle, char *buffer, int size);
KIVRA_API int getDeviceSoftVersion(int handle, char *buffer, int size);
KIVRA_API int getSerialNumber(int handle, char *buffer, int size);

/* Text writes: send the first min(length, 32) bytes of text, zero-padded to
 * 32 bytes. Returns 0 or a negative code; a negative length returns -1. */
KIVRA_API int writeDevName(int handle, const char *text, int length);
KIVRA_API int writeDevSerial(int handle, const char *text, int length);

/* Drive tuning (factory use). */
KIVRA_API int setPwmDuty(int handle, int value);
KIVRA_API int setPwmHz(int handle, int value);

/* Raw request with the caller's command code and 0..56 data bytes; any other
 * length returns -1 and sends nothing. An odd length travels padded with one
 * zero byte before the check word (the length field keeps the odd count), as
 * does an odd-length reply. */
KIVRA_API int sendDebugData(int handle, int code, int length, const void *data);

#ifndef KIVRA_REDUCED
/* Only in the full build. */
KIVRA_API int setEndPointPwm(int handle, int value);
KIVRA_API int setEndPointTime(int handle, int value);
KIVRA_API int setIO1TriggerMode(int handle, int value); /* 1 input, 2 output */
KIVRA_API int setIO2TriggerMode(int handle, int value);
KIVRA_API int getIO1TriggerMode(int handle);
KIVRA_API int getIO2TriggerMode(int handle);
#endif

#ifdef __cplusplus
}
#endif

#endif /* KIVRA_LIBRARY_H */
