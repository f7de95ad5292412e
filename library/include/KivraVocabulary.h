/*
 * KivraVocabulary: the controller's vocabulary as one table, for the library
 * and every program that talks to the controller through it.
 *
 *   kivraCommands    each command code, the exported function that sends it
 *                    and its kind of exchange (reply bytes and read attempts)
 *   kivraParameters  each stored parameter: its name as the kivra tool spells
 *                    it, unit, range, value words, getter and setter codes
 *   kivraResults     each result code's name and text
 *
 * Header only: plain structs, static const arrays ended by an all-zero row,
 * and static inline functions, for C (C99) and C++. It exports nothing, so it
 * is the same for the full and the reduced build.
 *
 *     const KivraParameter *p = kivraParameter(KIVRA_PARAM_ON_TIME);
 *     printf("%s: %d to %d %s\n", p->name, p->min, p->max, p->unit);
 *     printf("%s\n", kivraResultText(getShutterMode(h)));
 */
#ifndef KIVRA_VOCABULARY_H
#define KIVRA_VOCABULARY_H

#include "KivraLibrary.h"

#include <stddef.h>
#include <string.h>

/* MSVC's C knows inline only as __inline before C11. */
#if defined(_MSC_VER) && !defined(__cplusplus)
#define KIVRA_INLINE static __inline
#else
#define KIVRA_INLINE static inline
#endif

/* Command codes, as they travel in request frames. */
enum
{
    KIVRA_CMD_SET_SHUTTER_STATE = 0x01,
    KIVRA_CMD_SET_SHUTTER_MODE = 0x02,
    KIVRA_CMD_SET_SHUTTER_ON_TIME = 0x03,
    KIVRA_CMD_SET_SHUTTER_OFF_TIME = 0x04,
    KIVRA_CMD_SET_SHUTTER_CYCLE_COUNT = 0x05,
    KIVRA_CMD_SET_SHUTTER_TRIGGER_IN_MODE = 0x06,
    KIVRA_CMD_SET_SHUTTER_TRIGGER_OUT_MODE = 0x07,
    KIVRA_CMD_SET_LIGHT_LEVEL = 0x08,
    KIVRA_CMD_SET_LIGHT_TIME_OUT = 0x09,
    KIVRA_CMD_SET_LIGHT_IDLE_LEVEL = 0x0A,
    KIVRA_CMD_SET_VALVE_TYPE = 0x0B,
    KIVRA_CMD_GET_SHUTTER_STATE = 0x0C,
    KIVRA_CMD_GET_SHUTTER_MODE = 0x0D,
    KIVRA_CMD_GET_SHUTTER_ON_TIME = 0x0E,
    KIVRA_CMD_GET_SHUTTER_OFF_TIME = 0x0F,
    KIVRA_CMD_GET_SHUTTER_CYCLE_COUNT = 0x10,
    KIVRA_CMD_GET_SHUTTER_TRIGGER_IN_MODE = 0x11,
    KIVRA_CMD_GET_SHUTTER_TRIGGER_OUT_MODE = 0x12,
    KIVRA_CMD_GET_LIGHT_LEVEL = 0x13,
    KIVRA_CMD_GET_LIGHT_TIME_OUT = 0x14,
    KIVRA_CMD_GET_LIGHT_IDLE_LEVEL = 0x15,
    KIVRA_CMD_GET_VALVE_TYPE = 0x16,
    KIVRA_CMD_GET_FREQUENCY = 0x17,
    KIVRA_CMD_SET_INITIAL_STATE = 0x18,
    KIVRA_CMD_GET_INITIAL_STATE = 0x19,
    KIVRA_CMD_SET_IO1_TRIGGER_MODE = 0x1A,
    KIVRA_CMD_SET_IO2_TRIGGER_MODE = 0x1B,
    KIVRA_CMD_GET_IO1_TRIGGER_MODE = 0x1C,
    KIVRA_CMD_GET_IO2_TRIGGER_MODE = 0x1D,
    KIVRA_CMD_WRITE_DEV_NAME = 0xFA,
    KIVRA_CMD_WRITE_DEV_SERIAL = 0xFC,
    KIVRA_CMD_GET_DEVICE_NAME = 0xFD,
    KIVRA_CMD_GET_DEVICE_SOFT_VERSION = 0xFE,
    KIVRA_CMD_GET_SERIAL_NUMBER = 0xFF,
    KIVRA_CMD_SET_PWM_DUTY = 0x1000,
    KIVRA_CMD_SET_PWM_HZ = 0x1001,
    KIVRA_CMD_SET_END_POINT_PWM = 0x1002,
    KIVRA_CMD_SET_END_POINT_TIME = 0x1003,
    /* sendDebugData sends whatever code its caller gives. */
    KIVRA_CMD_CALLERS_CODE = -1
};

/* What an exchange waits for. A reply is an 8-byte header, the data and a
 * 2-byte check word; each read attempt is 1 ms, so the attempts are also the
 * budget in ms after which a silent controller gives KIVRA_ERR_NO_REPLY. */
enum
{
    KIVRA_VALUE_REPLY_BYTES = 8 + 4 + 2,
    KIVRA_TEXT_REPLY_BYTES = 8 + KIVRA_TEXT_FIELD_SIZE + 2,
    KIVRA_DEBUG_REPLY_BYTES = 64, /* the largest frame */
    KIVRA_STANDARD_ATTEMPTS = 30,
    KIVRA_SHORT_ATTEMPTS = 14,
    KIVRA_DEBUG_ATTEMPTS = 28
};

typedef enum KivraExchangeKind
{
    KIVRA_EXCHANGE_SET,        /* parameter setters */
    KIVRA_EXCHANGE_GET,        /* parameter getters */
    KIVRA_EXCHANGE_FREQUENCY,  /* getFrequency: a 4-byte float */
    KIVRA_EXCHANGE_TEXT_READ,  /* the 32-byte text fields */
    KIVRA_EXCHANGE_TEXT_WRITE, /* writeDevName, writeDevSerial */
    KIVRA_EXCHANGE_TUNING,     /* drive tuning, factory use */
    KIVRA_EXCHANGE_DEBUG       /* sendDebugData */
} KivraExchangeKind;

typedef struct KivraExchange
{
    KivraExchangeKind kind;
    const char *name; /* "set", "get", ... */
    int wanted;       /* reply bytes collected */
    int attempts;     /* 1 ms read attempts: the budget in ms */
} KivraExchange;

static const KivraExchange kivraExchanges[] = {
    {KIVRA_EXCHANGE_SET, "set", KIVRA_VALUE_REPLY_BYTES, KIVRA_STANDARD_ATTEMPTS},
    {KIVRA_EXCHANGE_GET, "get", KIVRA_VALUE_REPLY_BYTES, KIVRA_STANDARD_ATTEMPTS},
    {KIVRA_EXCHANGE_FREQUENCY, "frequency", KIVRA_VALUE_REPLY_BYTES, KIVRA_STANDARD_ATTEMPTS},
    {KIVRA_EXCHANGE_TEXT_READ, "text-read", KIVRA_TEXT_REPLY_BYTES, KIVRA_STANDARD_ATTEMPTS},
    {KIVRA_EXCHANGE_TEXT_WRITE, "text-write", KIVRA_TEXT_REPLY_BYTES, KIVRA_SHORT_ATTEMPTS},
    {KIVRA_EXCHANGE_TUNING, "tuning", KIVRA_VALUE_REPLY_BYTES, KIVRA_SHORT_ATTEMPTS},
    {KIVRA_EXCHANGE_DEBUG, "debug", KIVRA_DEBUG_REPLY_BYTES, KIVRA_DEBUG_ATTEMPTS},
    {KIVRA_EXCHANGE_SET, NULL, 0, 0}};

typedef struct KivraCommand
{
    int code;             /* KIVRA_CMD_* */
    const char *function; /* the exported function that sends it */
    KivraExchangeKind kind;
    int fullBuildOnly; /* 1: the reduced build lacks the function */
} KivraCommand;

/* Every device function of the library, by command code. */
static const KivraCommand kivraCommands[] = {
    {KIVRA_CMD_SET_SHUTTER_STATE, "setShutterState", KIVRA_EXCHANGE_SET, 0},
    {KIVRA_CMD_SET_SHUTTER_MODE, "setShutterMode", KIVRA_EXCHANGE_SET, 0},
    {KIVRA_CMD_SET_SHUTTER_ON_TIME, "setShutterOnTime", KIVRA_EXCHANGE_SET, 0},
    {KIVRA_CMD_SET_SHUTTER_OFF_TIME, "setShutterOffTime", KIVRA_EXCHANGE_SET, 0},
    {KIVRA_CMD_SET_SHUTTER_CYCLE_COUNT, "setShutterCycleCount", KIVRA_EXCHANGE_SET, 0},
    {KIVRA_CMD_SET_SHUTTER_TRIGGER_IN_MODE, "setShutterTriggerInMode", KIVRA_EXCHANGE_SET, 0},
    {KIVRA_CMD_SET_SHUTTER_TRIGGER_OUT_MODE, "setShutterTriggerOutMode", KIVRA_EXCHANGE_SET, 0},
    {KIVRA_CMD_SET_LIGHT_LEVEL, "setLightLevel", KIVRA_EXCHANGE_SET, 0},
    {KIVRA_CMD_SET_LIGHT_TIME_OUT, "setLightTimeOut", KIVRA_EXCHANGE_SET, 0},
    {KIVRA_CMD_SET_LIGHT_IDLE_LEVEL, "setLightIdleLevel", KIVRA_EXCHANGE_SET, 0},
    {KIVRA_CMD_SET_VALVE_TYPE, "setValveType", KIVRA_EXCHANGE_SET, 0},
    {KIVRA_CMD_GET_SHUTTER_STATE, "getShutterState", KIVRA_EXCHANGE_GET, 0},
    {KIVRA_CMD_GET_SHUTTER_MODE, "getShutterMode", KIVRA_EXCHANGE_GET, 0},
    {KIVRA_CMD_GET_SHUTTER_ON_TIME, "getShutterOnTime", KIVRA_EXCHANGE_GET, 0},
    {KIVRA_CMD_GET_SHUTTER_OFF_TIME, "getShutterOffTime", KIVRA_EXCHANGE_GET, 0},
    {KIVRA_CMD_GET_SHUTTER_CYCLE_COUNT, "getShutterCycleCount", KIVRA_EXCHANGE_GET, 0},
    {KIVRA_CMD_GET_SHUTTER_TRIGGER_IN_MODE, "getShutterTriggerInMode", KIVRA_EXCHANGE_GET, 0},
    {KIVRA_CMD_GET_SHUTTER_TRIGGER_OUT_MODE, "getShutterTriggerOutMode", KIVRA_EXCHANGE_GET, 0},
    {KIVRA_CMD_GET_LIGHT_LEVEL, "getLightLevel", KIVRA_EXCHANGE_GET, 0},
    {KIVRA_CMD_GET_LIGHT_TIME_OUT, "getLightTimeOut", KIVRA_EXCHANGE_GET, 0},
    {KIVRA_CMD_GET_LIGHT_IDLE_LEVEL, "getLightIdleLevel", KIVRA_EXCHANGE_GET, 0},
    {KIVRA_CMD_GET_VALVE_TYPE, "getValveType", KIVRA_EXCHANGE_GET, 0},
    {KIVRA_CMD_GET_FREQUENCY, "getFrequency", KIVRA_EXCHANGE_FREQUENCY, 0},
    {KIVRA_CMD_SET_INITIAL_STATE, "setInitialState", KIVRA_EXCHANGE_SET, 0},
    {KIVRA_CMD_GET_INITIAL_STATE, "getInitialState", KIVRA_EXCHANGE_GET, 0},
    {KIVRA_CMD_SET_IO1_TRIGGER_MODE, "setIO1TriggerMode", KIVRA_EXCHANGE_SET, 1},
    {KIVRA_CMD_SET_IO2_TRIGGER_MODE, "setIO2TriggerMode", KIVRA_EXCHANGE_SET, 1},
    {KIVRA_CMD_GET_IO1_TRIGGER_MODE, "getIO1TriggerMode", KIVRA_EXCHANGE_GET, 1},
    {KIVRA_CMD_GET_IO2_TRIGGER_MODE, "getIO2TriggerMode", KIVRA_EXCHANGE_GET, 1},
    {KIVRA_CMD_WRITE_DEV_NAME, "writeDevName", KIVRA_EXCHANGE_TEXT_WRITE, 0},
    {KIVRA_CMD_WRITE_DEV_SERIAL, "writeDevSerial", KIVRA_EXCHANGE_TEXT_WRITE, 0},
    {KIVRA_CMD_GET_DEVICE_NAME, "getDeviceName", KIVRA_EXCHANGE_TEXT_READ, 0},
    {KIVRA_CMD_GET_DEVICE_SOFT_VERSION, "getDeviceSoftVersion", KIVRA_EXCHANGE_TEXT_READ, 0},
    {KIVRA_CMD_GET_SERIAL_NUMBER, "getSerialNumber", KIVRA_EXCHANGE_TEXT_READ, 0},
    {KIVRA_CMD_SET_PWM_DUTY, "setPwmDuty", KIVRA_EXCHANGE_TUNING, 0},
    {KIVRA_CMD_SET_PWM_HZ, "setPwmHz", KIVRA_EXCHANGE_TUNING, 0},
    {KIVRA_CMD_SET_END_POINT_PWM, "setEndPointPwm", KIVRA_EXCHANGE_TUNING, 1},
    {KIVRA_CMD_SET_END_POINT_TIME, "setEndPointTime", KIVRA_EXCHANGE_TUNING, 1},
    {KIVRA_CMD_CALLERS_CODE, "sendDebugData", KIVRA_EXCHANGE_DEBUG, 0},
    {0, NULL, KIVRA_EXCHANGE_SET, 0}};

/* A coded value and its word, as the kivra tool reads and writes it. */
typedef struct KivraWord
{
    int value;
    const char *word;
} KivraWord;

static const KivraWord kivraStateWords[] = {
    {KIVRA_STATE_OPEN, "open"}, {KIVRA_STATE_CLOSED, "closed"}, {0, NULL}};
static const KivraWord kivraModeWords[] = {{KIVRA_MODE_MANUAL, "manual"},
                                           {KIVRA_MODE_SINGLE, "single"},
                                           {KIVRA_MODE_AUTO, "auto"},
                                           {KIVRA_MODE_TRIGGER, "trigger"},
                                           {0, NULL}};
static const KivraWord kivraValveWords[] = {
    {KIVRA_VALVE_KD08_40, "KD08-40"}, {KIVRA_VALVE_KD2_40, "KD2-40"}, {0, NULL}};
static const KivraWord kivraEdgeWords[] = {
    {KIVRA_EDGE_RISING, "rising"}, {KIVRA_EDGE_FALLING, "falling"}, {0, NULL}};
static const KivraWord kivraLevelWords[] = {
    {KIVRA_LEVEL_HIGH, "high"}, {KIVRA_LEVEL_LOW, "low"}, {0, NULL}};
static const KivraWord kivraIoWords[] = {
    {KIVRA_IO_TRIGGER_IN, "input"}, {KIVRA_IO_TRIGGER_OUT, "output"}, {0, NULL}};

typedef enum KivraParameterId
{
    KIVRA_PARAM_STATE,
    KIVRA_PARAM_MODE,
    KIVRA_PARAM_ON_TIME,
    KIVRA_PARAM_OFF_TIME,
    KIVRA_PARAM_CYCLES,
    KIVRA_PARAM_VALVE,
    KIVRA_PARAM_INITIAL_STATE,
    KIVRA_PARAM_TRIGGER_IN,
    KIVRA_PARAM_TRIGGER_OUT,
    KIVRA_PARAM_IO1,
    KIVRA_PARAM_IO2,
    KIVRA_PARAM_LIGHT,
    KIVRA_PARAM_LIGHT_IDLE,
    KIVRA_PARAM_LIGHT_TIMEOUT
} KivraParameterId;

typedef struct KivraParameter
{
    KivraParameterId id;
    const char *name;        /* as the kivra tool names it, e.g. "on-time" */
    const char *description; /* a few words, e.g. "shutter open time" */
    const char *unit;        /* "ms", "min", or "" for none */
    int min;                 /* the values the controller takes: min..max */
    int max;
    const KivraWord *words; /* value words; NULL for plain numbers */
    int getCode;            /* KIVRA_CMD_GET_*: see kivraCommand() for the function */
    int setCode;            /* KIVRA_CMD_SET_* */
} KivraParameter;

/* Every stored parameter, in the order the kivra tool's info shows them. */
static const KivraParameter kivraParameters[] = {
    {KIVRA_PARAM_STATE, "state", "shutter state", "", KIVRA_STATE_OPEN, KIVRA_STATE_CLOSED,
     kivraStateWords, KIVRA_CMD_GET_SHUTTER_STATE, KIVRA_CMD_SET_SHUTTER_STATE},
    {KIVRA_PARAM_MODE, "mode", "operating mode", "", KIVRA_MODE_MANUAL, KIVRA_MODE_TRIGGER,
     kivraModeWords, KIVRA_CMD_GET_SHUTTER_MODE, KIVRA_CMD_SET_SHUTTER_MODE},
    {KIVRA_PARAM_ON_TIME, "on-time", "shutter open time", "ms", 20, 100000, NULL,
     KIVRA_CMD_GET_SHUTTER_ON_TIME, KIVRA_CMD_SET_SHUTTER_ON_TIME},
    {KIVRA_PARAM_OFF_TIME, "off-time", "shutter close time", "ms", 20, 100000, NULL,
     KIVRA_CMD_GET_SHUTTER_OFF_TIME, KIVRA_CMD_SET_SHUTTER_OFF_TIME},
    {KIVRA_PARAM_CYCLES, "cycles", "cycle count of an automatic run", "", 1, 1000000, NULL,
     KIVRA_CMD_GET_SHUTTER_CYCLE_COUNT, KIVRA_CMD_SET_SHUTTER_CYCLE_COUNT},
    {KIVRA_PARAM_VALVE, "valve", "valve model", "", KIVRA_VALVE_KD08_40, KIVRA_VALVE_KD2_40,
     kivraValveWords, KIVRA_CMD_GET_VALVE_TYPE, KIVRA_CMD_SET_VALVE_TYPE},
    {KIVRA_PARAM_INITIAL_STATE, "initial-state", "shutter state at power-on", "", KIVRA_STATE_OPEN,
     KIVRA_STATE_CLOSED, kivraStateWords, KIVRA_CMD_GET_INITIAL_STATE, KIVRA_CMD_SET_INITIAL_STATE},
    {KIVRA_PARAM_TRIGGER_IN, "trigger-in", "trigger input edge", "", KIVRA_EDGE_RISING,
     KIVRA_EDGE_FALLING, kivraEdgeWords, KIVRA_CMD_GET_SHUTTER_TRIGGER_IN_MODE,
     KIVRA_CMD_SET_SHUTTER_TRIGGER_IN_MODE},
    {KIVRA_PARAM_TRIGGER_OUT, "trigger-out", "trigger output level", "", KIVRA_LEVEL_HIGH,
     KIVRA_LEVEL_LOW, kivraLevelWords, KIVRA_CMD_GET_SHUTTER_TRIGGER_OUT_MODE,
     KIVRA_CMD_SET_SHUTTER_TRIGGER_OUT_MODE},
    {KIVRA_PARAM_IO1, "io1", "IO1 line function", "", KIVRA_IO_TRIGGER_IN, KIVRA_IO_TRIGGER_OUT,
     kivraIoWords, KIVRA_CMD_GET_IO1_TRIGGER_MODE, KIVRA_CMD_SET_IO1_TRIGGER_MODE},
    {KIVRA_PARAM_IO2, "io2", "IO2 line function", "", KIVRA_IO_TRIGGER_IN, KIVRA_IO_TRIGGER_OUT,
     kivraIoWords, KIVRA_CMD_GET_IO2_TRIGGER_MODE, KIVRA_CMD_SET_IO2_TRIGGER_MODE},
    {KIVRA_PARAM_LIGHT, "light", "backlight brightness", "", 0, 100, NULL,
     KIVRA_CMD_GET_LIGHT_LEVEL, KIVRA_CMD_SET_LIGHT_LEVEL},
    {KIVRA_PARAM_LIGHT_IDLE, "light-idle", "backlight sleep brightness", "", 0, 100, NULL,
     KIVRA_CMD_GET_LIGHT_IDLE_LEVEL, KIVRA_CMD_SET_LIGHT_IDLE_LEVEL},
    {KIVRA_PARAM_LIGHT_TIMEOUT, "light-timeout", "backlight sleep time", "min", 0, 480, NULL,
     KIVRA_CMD_GET_LIGHT_TIME_OUT, KIVRA_CMD_SET_LIGHT_TIME_OUT},
    {KIVRA_PARAM_STATE, NULL, NULL, NULL, 0, 0, NULL, 0, 0}};

typedef struct KivraResult
{
    int code;
    const char *name; /* the code's name in KivraLibrary.h */
    const char *text;
} KivraResult;

static const KivraResult kivraResults[] = {
    {KIVRA_OK, "KIVRA_OK", "ok"},
    {KIVRA_ERR_ARGUMENT, "KIVRA_ERR_ARGUMENT", "bad argument, or the port is not open"},
    {KIVRA_ERR_NO_REPLY, "KIVRA_ERR_NO_REPLY", "no answer from the controller"},
    {KIVRA_ERR_START, "KIVRA_ERR_START", "reply start word wrong"},
    {KIVRA_ERR_LENGTH, "KIVRA_ERR_LENGTH", "reply length does not match its data"},
    {KIVRA_ERR_REFUSED, "KIVRA_ERR_REFUSED", "the controller refused the request"},
    {KIVRA_ERR_CHECK, "KIVRA_ERR_CHECK", "reply check word wrong"},
    {KIVRA_ERR_NO_DATA, "KIVRA_ERR_NO_DATA", "the controller's reply carried no data"},
    {0, NULL, NULL}};

/* The command of that code (KIVRA_CMD_CALLERS_CODE: sendDebugData), or NULL. */
KIVRA_INLINE const KivraCommand *kivraCommand(int code)
{
    const KivraCommand *c;
    for (c = kivraCommands; c->function; ++c) {
        if (c->code == code)
            return c;
    }
    return NULL;
}

/* The command sent by the exported function of that name, or NULL. */
KIVRA_INLINE const KivraCommand *kivraCommandNamed(const char *function)
{
    const KivraCommand *c;
    for (c = kivraCommands; function && c->function; ++c) {
        if (strcmp(c->function, function) == 0)
            return c;
    }
    return NULL;
}

/* Reply bytes and attempts of a kind of exchange (never NULL for a valid kind). */
KIVRA_INLINE const KivraExchange *kivraExchange(KivraExchangeKind kind)
{
    const KivraExchange *e;
    for (e = kivraExchanges; e->name; ++e) {
        if (e->kind == kind)
            return e;
    }
    return NULL;
}

KIVRA_INLINE const KivraParameter *kivraParameter(KivraParameterId id)
{
    const KivraParameter *p;
    for (p = kivraParameters; p->name; ++p) {
        if (p->id == id)
            return p;
    }
    return NULL;
}

/* The parameter of that name ("on-time"), or NULL. */
KIVRA_INLINE const KivraParameter *kivraParameterNamed(const char *name)
{
    const KivraParameter *p;
    for (p = kivraParameters; name && p->name; ++p) {
        if (strcmp(p->name, name) == 0)
            return p;
    }
    return NULL;
}

/* The parameter whose getter or setter sends that code, or NULL. */
KIVRA_INLINE const KivraParameter *kivraParameterOfCode(int code)
{
    const KivraParameter *p;
    for (p = kivraParameters; p->name; ++p) {
        if (p->getCode == code || p->setCode == code)
            return p;
    }
    return NULL;
}

/* The word for a parameter's value, or NULL when it has none. */
KIVRA_INLINE const char *kivraValueWord(const KivraParameter *p, int value)
{
    const KivraWord *w;
    for (w = p && p->words ? p->words : NULL; w && w->word; ++w) {
        if (w->value == value)
            return w->word;
    }
    return NULL;
}

/* Sets *value to the value of a parameter's word; 0 when it is not one. */
KIVRA_INLINE int kivraWordValue(const KivraParameter *p, const char *word, int *value)
{
    const KivraWord *w;
    for (w = p && p->words && word ? p->words : NULL; w && w->word; ++w) {
        if (strcmp(w->word, word) == 0) {
            *value = w->value;
            return 1;
        }
    }
    return 0;
}

KIVRA_INLINE const KivraResult *kivraResultEntry(int code)
{
    const KivraResult *r;
    for (r = kivraResults; r->name; ++r) {
        if (r->code == (code > KIVRA_OK ? KIVRA_OK : code))
            return r;
    }
    return NULL;
}

/* The name of a result, "KIVRA_ERR_REFUSED"; any value of 0 or more is
 * "KIVRA_OK". "unknown" for a code the library does not return. */
KIVRA_INLINE const char *kivraResultName(int code)
{
    const KivraResult *r = kivraResultEntry(code);
    return r ? r->name : "unknown";
}

/* The meaning of a result in a few words, "the controller refused the
 * request"; "unknown failure" for a code the library does not return. */
KIVRA_INLINE const char *kivraResultText(int code)
{
    const KivraResult *r = kivraResultEntry(code);
    return r ? r->text : "unknown failure";
}

/* Whether a failed call leaves the line in doubt: no answer, or a damaged
 * one (unplugged, switched off, another program on the line). A program that
 * keeps a port open gives it up then, and opens it again for its next call. */
KIVRA_INLINE int kivraLineInDoubt(int code)
{
    return code == KIVRA_ERR_NO_REPLY || code == KIVRA_ERR_START || code == KIVRA_ERR_LENGTH ||
           code == KIVRA_ERR_CHECK;
}

#endif /* KIVRA_VOCABULARY_H */
