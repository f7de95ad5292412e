// The IOC shell's command for a controller: kivraShutterConfigure("S1",
// "ttyUSB0") makes port S1 on that device (any name openSerial takes: a
// listed port, a device path, a socket:// or rfc2217:// URL). The records
// name the port in their links; the device opens at their first call.
#include "kivraPort.h"

#include <epicsStdio.h>
#include <iocsh.h>

#include <epicsExport.h>

#include <string>

namespace {

const iocshArg kPortArg = {"port name", iocshArgString};
const iocshArg kDeviceArg = {"device (ttyUSB0, /dev/ttyUSB0, socket://host:port, ...)",
                             iocshArgString};
const iocshArg *const kArgs[] = {&kPortArg, &kDeviceArg};
const iocshFuncDef kConfigure = {"kivraShutterConfigure", 2, kArgs};

void configure(const iocshArgBuf *args)
{
    const std::string name = args[0].sval ? args[0].sval : "";
    const std::string device = args[1].sval ? args[1].sval : "";
    std::string error;
    if (!kivraioc::Port::configure(name, device, &error)) {
        fprintf(epicsGetStderr(), "kivraShutterConfigure: %s\n", error.c_str());
        return;
    }
    printf("kivraShutterConfigure: port %s on %s\n", name.c_str(), device.c_str());
}

void kivraShutterRegistrar()
{
    iocshRegister(&kConfigure, configure);
}

} // namespace

extern "C" {
epicsExportRegistrar(kivraShutterRegistrar);
}
