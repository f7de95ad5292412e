/*
 * KivraLibrary: C interface to the Kivra optical shutter controller.
 *
 * Every device call performs exactly one request/reply exchange on the serial
 * line (115200 baud, 8N2) and blocks until the reply is complete or the
 * attempt budget has run out: about 30 ms for the getters and setters, 28 ms
 * for sendDebugData(), 14 ms for the text writes and the drive tuning calls,
 * when the controller stays silent (kivraExchanges in KivraVocabulary.h).
 * The library keeps no state between calls except the table of handles it
 * has opened; the caller owns each handle from openSerial() to closeSerial().
 * Nothing is retried.
 * A closed handle fails with -2 and does not reach a port opened after it:
 * its value is given again only after 2^31 - 1 more opens in the process.
 *
 * A call never takes longer than its reply budget (30 ms; 14 ms for text
 * writes and drive tuning, 28 ms for sendDebugData) plus a few milliseconds,
 * also when the controller stops reading. A reply that comes after the
 * budget has run out is dropped by the next call on that handle, which sends
 * at once and drops the late frame as it arrives ahead of its own reply, so
 * it never becomes another call's result; a reply cut short on the line is
 * told from the next reply by the next reply's own frame. What remains: a
 * reply later than twice the budget after its request can still be taken for
 * the reply of a later call, as the protocol carries no sequence numbers.
 *
 * Network ports (socket://HOST:PORT, rfc2217://HOST:PORT): the budget grows
 * by the round trip measured on the connection (smoothed round trip plus
 * four times its variation, at most 2 s more; up to 1 s more for the first
 * exchange of a socket:// connection, whose set-up may not have crossed the
 * whole path). After a call whose reply did not come, the next call waits
 * for that reply up to its own budget before it sends; if the reply is still
 * out then, the call fails with KIVRA_ERR_NO_REPLY without sending, so that
 * no two requests are ever out at once. So a slow or stalling network costs
 * time and failures, never another call's value; only a reply held up for
 * more than 2 s beyond its budget is given up for lost.
 *
 * Results: 0 or more is success (a getter returns the value), a negative
 * value is one of the KIVRA_ERR_* codes below; kivraResultText() in
 * KivraVocabulary.h says each in words. The library checks no value range
 * itself: it sends what it is given, and the controller refuses what it
 * cannot take (KIVRA_ERR_REFUSED). The ranges the controller and the program
 * Trova use are in kivraParameters (KivraVocabulary.h), with each
 * parameter's unit and the words for its coded values.
 *
 * Running an automatic sequence:
 *
 *     setShutterMode(h, KIVRA_MODE_AUTO);
 *     setShutterOnTime(h, 100);        open for 100 ms ...
 *     setShutterOffTime(h, 400);       ... then closed for 400 ms ...
 *     setShutterCycleCount(h, 50);     ... 50 times
 *     setShutterState(h, KIVRA_STATE_OPEN);   starts the run
 *
 * While it runs, getFrequency() reads the shutter frequency in Hz (here
 * 2 Hz); it reads 0 once the sequence has finished. KIVRA_STATE_CLOSED stops
 * it early.
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

/* Result codes. */
#define KIVRA_OK 0
/* Absent argument or buffer, negative or too large size or length, or a port
 * that cannot be opened. Nothing was sent. */
#define KIVRA_ERR_ARGUMENT (-1)
/* No complete answer within the attempt budget (controller silent or
 * unplugged), or a handle that is not open. */
#define KIVRA_ERR_NO_REPLY (-2)
/* The reply's start word is wrong. */
#define KIVRA_ERR_START (-3)
/* The reply's byte count differs from its data length + 10. */
#define KIVRA_ERR_LENGTH (-4)
/* The controller refused the request, for example a value out of range: the
 * reply's status is neither 1 nor 238. */
#define KIVRA_ERR_REFUSED (-5)
/* The reply's check word is wrong. */
#define KIVRA_ERR_CHECK (-6)
/* A good reply without usable data (getters, getFrequency, text reads). */
#define KIVRA_ERR_NO_DATA (-10)

/* Shutter state: setShutterState, getShutterState, setInitialState,
 * getInitialState. */
#define KIVRA_STATE_OPEN 1
#define KIVRA_STATE_CLOSED 2

/* Shutter mode: setShutterMode, getShutterMode. */
#define KIVRA_MODE_MANUAL 1  /* the state buttons open and close it */
#define KIVRA_MODE_SINGLE 2  /* each open runs one open/close cycle */
#define KIVRA_MODE_AUTO 3    /* open starts the timed sequence, closed stops it */
#define KIVRA_MODE_TRIGGER 4 /* the trigger input runs each cycle */

/* Edge of the trigger input: setShutterTriggerInMode. */
#define KIVRA_EDGE_RISING 1
#define KIVRA_EDGE_FALLING 2

/* Level of the trigger output: setShutterTriggerOutMode. */
#define KIVRA_LEVEL_HIGH 1
#define KIVRA_LEVEL_LOW 2

/* Valve model: setValveType, getValveType. */
#define KIVRA_VALVE_KD08_40 1
#define KIVRA_VALVE_KD2_40 2

/* Function of the IO1 and IO2 lines: setIO1TriggerMode, setIO2TriggerMode
 * (full build only). */
#define KIVRA_IO_TRIGGER_IN 1
#define KIVRA_IO_TRIGGER_OUT 2

/* Size of the controller's text fields (name, firmware, serial number). */
#define KIVRA_TEXT_FIELD_SIZE 32

/* Most data bytes sendDebugData() takes: what a request frame holds. */
#define KIVRA_DEBUG_DATA_MAX 56

#ifdef __cplusplus
extern "C" {
#endif

/* Ports */

/* Writes the port names (real serial ports first, then virtual ports such as
 * kivra-sim's), comma-separated and zero-terminated, into the caller's buffer
 * of size bytes, and returns how many were written. A size of 0 or less, or
 * an absent buffer, returns -1 and leaves the buffer untouched. Otherwise all
 * size bytes are first set to zero, then the names are taken in order while
 * each one, with the byte after it (comma or terminator), still leaves at
 * least one byte of the buffer unused; the first name that does not fit ends
 * the list, and no later name is tried. So a list whose text is n characters
 * long needs a buffer of n + 2 bytes; with none fitting the result is 0 and
 * the buffer holds an empty string. 1024 bytes is plenty in practice. */
KIVRA_API int listPorts(char *buffer, int size);
/* Opens the named port exclusively at 115200 8N2. Returns a handle > 0, or -1. */
KIVRA_API int openSerial(const char *portName);
/* 1 when the port cannot be opened now (in use or absent), 0 when it could
 * be (it is opened and closed again in passing), -1 for an absent name. */
KIVRA_API int isSerialOpen(const char *portName);
/* Closes a handle from openSerial(). Returns 0, also for an unknown handle. */
KIVRA_API int closeSerial(int handle);

/* Parameter setters: send the value, return 0 or a negative code
 * (KIVRA_ERR_REFUSED when the controller does not take the value). */
/* KIVRA_STATE_OPEN or KIVRA_STATE_CLOSED; in automatic mode open starts and
 * closed stops the sequence. */
KIVRA_API int setShutterState(int handle, int value);
/* KIVRA_MODE_MANUAL, _SINGLE, _AUTO or _TRIGGER. */
KIVRA_API int setShutterMode(int handle, int value);
/* Open time of a cycle, in ms. */
KIVRA_API int setShutterOnTime(int handle, int value);
/* Closed time of a cycle, in ms. */
KIVRA_API int setShutterOffTime(int handle, int value);
/* Cycles of an automatic sequence. */
KIVRA_API int setShutterCycleCount(int handle, int value);
/* KIVRA_EDGE_RISING or KIVRA_EDGE_FALLING. */
KIVRA_API int setShutterTriggerInMode(int handle, int value);
/* KIVRA_LEVEL_HIGH or KIVRA_LEVEL_LOW. */
KIVRA_API int setShutterTriggerOutMode(int handle, int value);
/* Display backlight brightness, in percent. */
KIVRA_API int setLightLevel(int handle, int value);
/* Idle time before the backlight dims, in minutes. */
KIVRA_API int setLightTimeOut(int handle, int value);
/* Backlight brightness when dimmed, in percent. */
KIVRA_API int setLightIdleLevel(int handle, int value);
/* KIVRA_VALVE_KD08_40 or KIVRA_VALVE_KD2_40. */
KIVRA_API int setValveType(int handle, int value);
/* State after power-on: KIVRA_STATE_OPEN or KIVRA_STATE_CLOSED. */
KIVRA_API int setInitialState(int handle, int value);

/* Parameter getters: return the value (0 or more, in the setter's unit and
 * codes) or a negative code. */
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
/* The shutter frequency in Hz; 0 when the shutter is not cycling (an
 * automatic sequence reads 0 once it has finished). A failure returns its
 * negative code as a number (-2.0f ...). */
KIVRA_API float getFrequency(int handle);

/* Text reads: copy min(size, 32) bytes of the controller's 32-byte field into
 * the caller's buffer and return 0; no terminator is added, so pass a
 * zero-filled buffer of more than 32 bytes to get a string. On failure the
 * buffer is not touched. A negative size returns -1. */
KIVRA_API int getDeviceName(int handle, char *buffer, int size);
KIVRA_API int getDeviceSoftVersion(int handle, char *buffer, int size);
KIVRA_API int getSerialNumber(int handle, char *buffer, int size);

/* Text writes: send the first min(length, 32) bytes of text, zero-padded to
 * 32 bytes. Returns 0 or a negative code; a negative length returns -1. */
KIVRA_API int writeDevName(int handle, const char *text, int length);
KIVRA_API int writeDevSerial(int handle, const char *text, int length);

/* Drive tuning (factory use): values as the drive takes them, unchecked. */
KIVRA_API int setPwmDuty(int handle, int value);
KIVRA_API int setPwmHz(int handle, int value);

/* Raw request with the caller's command code and 0..KIVRA_DEBUG_DATA_MAX (56)
 * data bytes; any other length returns -1 and sends nothing. An odd length
 * travels padded with one zero byte before the check word (the length field
 * keeps the odd count), as does an odd-length reply. */
KIVRA_API int sendDebugData(int handle, int code, int length, const void *data);

#ifndef KIVRA_REDUCED
/* Only in the full build. */
KIVRA_API int setEndPointPwm(int handle, int value);
KIVRA_API int setEndPointTime(int handle, int value);
/* KIVRA_IO_TRIGGER_IN or KIVRA_IO_TRIGGER_OUT. */
KIVRA_API int setIO1TriggerMode(int handle, int value);
KIVRA_API int setIO2TriggerMode(int handle, int value);
KIVRA_API int getIO1TriggerMode(int handle);
KIVRA_API int getIO2TriggerMode(int handle);
#endif

#ifdef __cplusplus
}
#endif

#endif /* KIVRA_LIBRARY_H */
