#include "simdevice.h"

#include "KivraLibrary.h"
#include "frameoracle.h"

namespace {
const char kPortDirVariable[] = "KIVRA_PORT_DIR";
const char kPortName[] = "SIM1";
} // namespace

SimDevice::SimDevice() = default;

SimDevice::~SimDevice()
{
    close();
    sim_.stop();
}

bool SimDevice::open()
{
    if (!portDir_.isValid()) {
        error_ = QStringLiteral("no temporary port directory");
        return false;
    }
    // The library looks for virtual ports where the simulator publishes them.
    qputenv(kPortDirVariable, portDir_.path().toLocal8Bit());
    if (!sim_.start(kPortName, portDir_.path().toStdString())) {
        error_ = QString::fromStdString(sim_.lastError());
        return false;
    }
    handle_ = openSerial(sim_.portName().c_str());
    if (handle_ <= 0) {
        error_ = QStringLiteral("openSerial returned %1").arg(handle_);
        handle_ = 0;
        return false;
    }
    return true;
}

void SimDevice::close()
{
    if (handle_ > 0)
        closeSerial(handle_);
    handle_ = 0;
}

QVector<SimDevice::Request> SimDevice::requests() const
{
    QVector<Request> log;
    for (const std::vector<uint8_t> &frame : sim_.requests()) {
        Request request{oracle::requestCode(frame), 0};
        int32_t value = 0;
        if (oracle::requestValue(frame, &value)) {
            request.value = value;
        }
        log.append(request);
    }
    return log;
}

QVector<int> SimDevice::requestCodes() const
{
    QVector<int> codes;
    for (const Request &request : requests())
        codes.append(request.code);
    return codes;
}

void SimDevice::dropAfter(int exchanges)
{
    kivrasim::Faults faults = sim_.faults();
    faults.dropAfter = sim_.exchangeCount() + exchanges;
    sim_.setFaults(faults);
}
