// kivra-ioc: an IOC with the Kivra shutter support, serving its records over
// Channel Access and pvAccess (QSRV). It loads its own dbd, sets
// KIVRA_SHUTTER to the folder holding db/kivraShutter.db, runs the startup
// script and then the IOC shell on standard input.
//
//     kivra-ioc st.cmd
#include <dbAccess.h>
#include <envDefs.h>
#include <epicsExit.h>
#include <iocsh.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

extern "C" int kivraIoc_registerRecordDeviceDriver(struct dbBase *pdbbase);

namespace {

// The data folder, found from the program's own place, so the build tree and
// an installed or moved tree work alike.
std::string dataFolder()
{
    char exe[PATH_MAX] = {0};
    if (!realpath("/proc/self/exe", exe)) {
        return KIVRA_IOC_DATA_RELATIVE;
    }
    std::string folder(exe);
    folder.erase(folder.rfind('/') + 1);
    return folder + KIVRA_IOC_DATA_RELATIVE;
}

int usage(std::FILE *out, int status)
{
    std::fprintf(out, "usage: kivra-ioc [STARTUP-SCRIPT]\n"
                      "Runs the script (kivraShutterConfigure, dbLoadRecords, iocInit), then\n"
                      "the IOC shell; $(KIVRA_SHUTTER)/db/kivraShutter.db is the database.\n");
    return status;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc > 2) {
        return usage(stderr, 2);
    }
    if (argc == 2 && (!std::strcmp(argv[1], "-h") || !std::strcmp(argv[1], "--help"))) {
        return usage(stdout, 0);
    }
    const std::string data = dataFolder();
    epicsEnvSet("KIVRA_SHUTTER", data.c_str());
    if (dbLoadDatabase((data + "/dbd/kivraIoc.dbd").c_str(), nullptr, nullptr) != 0) {
        return 1;
    }
    kivraIoc_registerRecordDeviceDriver(pdbbase);
    if (argc == 2 && iocsh(argv[1]) != 0) {
        std::fprintf(stderr, "kivra-ioc: %s failed\n", argv[1]);
        epicsExit(1);
    }
    iocsh(nullptr);
    epicsExit(0);
    return 0;
}
