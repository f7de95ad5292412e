#include "kivraPort.h"

#include <KivraLibrary.h>
#include <KivraVocabulary.h>

#include <epicsExit.h>

#include <future>
#include <map>
#include <memory>

namespace kivraioc {

namespace {

std::mutex registryMutex;
// Never freed: the scan threads may still process records at exit, and
// their calls reach the ports, so a port stops its worker and closes its
// line but stays.
auto &registry = *new std::map<std::string, std::unique_ptr<Port>>;

// After iocShutdown, which runs first: the exit handler is registered
// before iocInit registers its own.
void closeAll(void *)
{
    std::lock_guard<std::mutex> lock(registryMutex);
    for (auto &entry : registry) {
        entry.second->shutdown();
    }
}

std::string describe(int result)
{
    return std::string(kivraResultText(result)) + " (" + kivraResultName(result) + ")";
}

} // namespace

Port::Port(std::string name, std::string device)
    : name_(std::move(name)), device_(std::move(device)), status_("not opened yet")
{
    scanIoInit(&changes_);
    worker_ = std::thread([this] { run(); });
}

Port::~Port()
{
    shutdown();
}

void Port::shutdown()
{
    stop();
    dropLine();
}

Port *Port::find(const std::string &name)
{
    std::lock_guard<std::mutex> lock(registryMutex);
    const auto it = registry.find(name);
    return it == registry.end() ? nullptr : it->second.get();
}

Port *Port::configure(const std::string &name, const std::string &device, std::string *error)
{
    std::lock_guard<std::mutex> lock(registryMutex);
    if (name.empty() || device.empty()) {
        *error = "give a port name and a device: kivraShutterConfigure(\"S1\", \"ttyUSB0\")";
        return nullptr;
    }
    if (registry.count(name)) {
        *error = "port " + name + " is configured already (on " + registry[name]->device() + ")";
        return nullptr;
    }
    if (registry.empty()) {
        epicsAtExit(closeAll, nullptr);
    }
    auto &port = registry[name];
    port = std::make_unique<Port>(name, device);
    return port.get();
}

void Port::submit(std::function<void()> work)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (stopping_) {
            return; // the IOC is exiting: its record stays active
        }
        queue_.push_back(std::move(work));
    }
    wake_.notify_one();
}

void Port::runAndWait(std::function<void()> work)
{
    auto done = std::make_shared<std::promise<void>>();
    std::future<void> finished = done->get_future();
    submit([work = std::move(work), done] {
        work();
        done->set_value();
    });
    finished.wait();
}

void Port::run()
{
    for (;;) {
        std::function<void()> work;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
            if (stopping_) {
                queue_.clear();
                return;
            }
            work = std::move(queue_.front());
            queue_.pop_front();
        }
        work();
    }
}

void Port::stop()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    if (worker_.joinable()) {
        worker_.join();
    }
}

void Port::dropLine()
{
    if (handle_ > 0) {
        closeSerial(handle_);
        handle_ = 0;
    }
}

int Port::call(const std::string &what, const std::function<int(int handle)> &fn)
{
    if (handle_ <= 0) {
        const int handle = openSerial(device_.c_str());
        if (handle <= 0) {
            const int result = handle < 0 ? handle : KIVRA_ERR_ARGUMENT;
            report(false, what + ": cannot open " + device_ + ": " + describe(result));
            return result;
        }
        handle_ = handle;
    }
    const int result = fn(handle_);
    if (result >= 0) {
        report(true, kivraResultText(KIVRA_OK));
    } else {
        if (kivraLineInDoubt(result)) {
            dropLine();
        }
        report(handle_ > 0, what + ": " + describe(result));
    }
    return result;
}

void Port::report(bool connected, const std::string &status)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (connected == connected_ && status == status_) {
            return;
        }
        connected_ = connected;
        status_ = status;
    }
    scanIoRequest(changes_);
}

void Port::addReader(const std::string &parameter, dbCommon *rec)
{
    readers_[parameter].push_back(rec);
}

const std::vector<dbCommon *> &Port::readers(const std::string &parameter) const
{
    static const std::vector<dbCommon *> none;
    const auto it = readers_.find(parameter);
    return it == readers_.end() ? none : it->second;
}

bool Port::connected() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return connected_;
}

std::string Port::status() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return status_;
}

} // namespace kivraioc
