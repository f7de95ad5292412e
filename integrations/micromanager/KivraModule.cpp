// The module's entry points that Micro-Manager calls after loading it.
#include "KivraShutter.h"

#include <ModuleInterface.h>

#include <cstring>

MODULE_API void InitializeModuleData()
{
    RegisterDevice(kivramm::kDeviceName, MM::ShutterDevice, kivramm::kDeviceDescription);
}

MODULE_API MM::Device *CreateDevice(const char *deviceName)
{
    if (deviceName && std::strcmp(deviceName, kivramm::kDeviceName) == 0) {
        return new kivramm::KivraShutter();
    }
    return nullptr;
}

MODULE_API void DeleteDevice(MM::Device *device)
{
    delete device;
}
