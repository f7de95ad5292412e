// The six functions only the full build exports; the reduced build leaves
// this file out.
#include "KivraLibrary.h"

#include "protocol/protocol.h"

using namespace kivra;

extern "C" {

int setEndPointPwm(int handle, int value)
{
    return sendValue(handle, kCmdSetEndPointPwm, value, KIVRA_EXCHANGE_TUNING);
}

int setEndPointTime(int handle, int value)
{
    return sendValue(handle, kCmdSetEndPointTime, value, KIVRA_EXCHANGE_TUNING);
}

int setIO1TriggerMode(int handle, int value)
{
    return setParameter(handle, kCmdSetIO1TriggerMode, value);
}

int setIO2TriggerMode(int handle, int value)
{
    return setParameter(handle, kCmdSetIO2TriggerMode, value);
}

int getIO1TriggerMode(int handle)
{
    return getParameter(handle, kCmdGetIO1TriggerMode);
}

int getIO2TriggerMode(int handle)
{
    return getParameter(handle, kCmdGetIO2TriggerMode);
}

} // extern "C"
