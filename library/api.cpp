// The exported functions common to the full and the reduced build: each is a
// thin entry in the command table over the transport and the protocol.
#include "KivraLibrary.h"
#include "KivraVocabulary.h"

#include "ports.h"
#include "protocol/protocol.h"

using namespace kivra;

namespace {

// Numbers that open the debug line of each text write.
constexpr int kDevNameLogTag = 44;
constexpr int kDevSerialLogTag = 75;

} // namespace

extern "C" {

int listPorts(char *buffer, int size)
{
    if (!buffer) {
        return kErrArgument;
    }
    return enumeratePorts(buffer, size);
}

int openSerial(const char *portName)
{
    if (!portName) {
        return kErrArgument;
    }
    return openPort(portName);
}

int isSerialOpen(const char *portName)
{
    if (!portName) {
        return kErrArgument;
    }
    return probePort(portName);
}

int closeSerial(int handle)
{
    closePort(handle);
    return kOk;
}

int setShutterState(int handle, int value)
{
    return setParameter(handle, kCmdSetShutterState, value);
}

int setShutterMode(int handle, int value)
{
    return setParameter(handle, kCmdSetShutterMode, value);
}

int setShutterOnTime(int handle, int value)
{
    return setParameter(handle, kCmdSetShutterOnTime, value);
}

int setShutterOffTime(int handle, int value)
{
    return setParameter(handle, kCmdSetShutterOffTime, value);
}

int setShutterCycleCount(int handle, int value)
{
    return setParameter(handle, kCmdSetShutterCycleCount, value);
}

int setShutterTriggerInMode(int handle, int value)
{
    return setParameter(handle, kCmdSetShutterTriggerInMode, value);
}

int setShutterTriggerOutMode(int handle, int value)
{
    return setParameter(handle, kCmdSetShutterTriggerOutMode, value);
}

int setLightLevel(int handle, int value)
{
    return setParameter(handle, kCmdSetLightLevel, value);
}

int setLightTimeOut(int handle, int value)
{
    return setParameter(handle, kCmdSetLightTimeOut, value);
}

int setLightIdleLevel(int handle, int value)
{
    return setParameter(handle, kCmdSetLightIdleLevel, value);
}

int setValveType(int handle, int value)
{
    return setParameter(handle, kCmdSetValveType, value);
}

int setInitialState(int handle, int value)
{
    return setParameter(handle, kCmdSetInitialState, value);
}

int getShutterState(int handle)
{
    return getParameter(handle, kCmdGetShutterState);
}

int getShutterMode(int handle)
{
    return getParameter(handle, kCmdGetShutterMode);
}

int getShutterOnTime(int handle)
{
    return getParameter(handle, kCmdGetShutterOnTime);
}

int getShutterOffTime(int handle)
{
    return getParameter(handle, kCmdGetShutterOffTime);
}

int getShutterCycleCount(int handle)
{
    return getParameter(handle, kCmdGetShutterCycleCount);
}

int getShutterTriggerInMode(int handle)
{
    return getParameter(handle, kCmdGetShutterTriggerInMode);
}

int getShutterTriggerOutMode(int handle)
{
    return getParameter(handle, kCmdGetShutterTriggerOutMode);
}

int getLightLevel(int handle)
{
    return getParameter(handle, kCmdGetLightLevel);
}

int getLightTimeOut(int handle)
{
    return getParameter(handle, kCmdGetLightTimeOut);
}

int getLightIdleLevel(int handle)
{
    return getParameter(handle, kCmdGetLightIdleLevel);
}

int getValveType(int handle)
{
    return getParameter(handle, kCmdGetValveType);
}

int getInitialState(int handle)
{
    return getParameter(handle, kCmdGetInitialState);
}

float getFrequency(int handle)
{
    return getFloatParameter(handle, kCmdGetFrequency);
}

int getDeviceName(int handle, char *buffer, int size)
{
    return readText(handle, kCmdGetDeviceName, buffer, size);
}

int getDeviceSoftVersion(int handle, char *buffer, int size)
{
    return readText(handle, kCmdGetDeviceSoftVersion, buffer, size);
}

int getSerialNumber(int handle, char *buffer, int size)
{
    return readText(handle, kCmdGetSerialNumber, buffer, size);
}

int writeDevName(int handle, const char *text, int length)
{
    return writeText(handle, kCmdWriteDevName, text, length, kDevNameLogTag);
}

int writeDevSerial(int handle, const char *text, int length)
{
    return writeText(handle, kCmdWriteDevSerial, text, length, kDevSerialLogTag);
}

int setPwmDuty(int handle, int value)
{
    return sendValue(handle, kCmdSetPwmDuty, value, KIVRA_EXCHANGE_TUNING);
}

int setPwmHz(int handle, int value)
{
    return sendValue(handle, kCmdSetPwmHz, value, KIVRA_EXCHANGE_TUNING);
}

int sendDebugData(int handle, int code, int length, const void *data)
{
    return sendRaw(handle, code, length, data);
}

} // extern "C"
