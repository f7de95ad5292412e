// One controller of the IOC: a name given by kivraShutterConfigure, the
// device it opens (any name openSerial takes, network URLs included), and
// one worker thread that makes every call on it. Records queue their calls
// and wait with PACT set, so neither a scan thread nor the CA server ever
// waits on the line. A call that leaves the line in doubt (no answer, a
// damaged reply) gives the handle up; the next call opens the device again.
#ifndef KIVRA_EPICS_PORT_H
#define KIVRA_EPICS_PORT_H

#include <dbScan.h>

#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct dbCommon;

namespace kivraioc {

class Port
{
public:
    Port(std::string name, std::string device);
    ~Port();
    Port(const Port &) = delete;
    Port &operator=(const Port &) = delete;

    // The port of that name made by configure(), or null.
    static Port *find(const std::string &name);
    // Makes a port; null (and the reason in *error) for a name in use.
    static Port *configure(const std::string &name, const std::string &device, std::string *error);

    // Stops the worker (queued calls are dropped) and closes the line.
    void shutdown();

    const std::string &name() const { return name_; }
    const std::string &device() const { return device_; }

    // Queues work for the worker thread, which runs it in the order given.
    void submit(std::function<void()> work);
    // Runs work on the worker thread and waits for it: for a record's
    // initial value, read while iocInit runs.
    void runAndWait(std::function<void()> work);

    // On the worker thread only: what(handle) with the device open, opening
    // it when needed. Returns the call's result, or the failed open's.
    // `what` names the call in the status text ("get on-time").
    int call(const std::string &what, const std::function<int(int handle)> &fn);

    // The input records of a parameter, which read it again after a set.
    // Filled while iocInit runs, read only after.
    void addReader(const std::string &parameter, dbCommon *rec);
    const std::vector<dbCommon *> &readers(const std::string &parameter) const;

    bool connected() const;
    // The last call's result in words: "ok", or what failed and why.
    std::string status() const;
    // Scanned when connected() or status() changes.
    IOSCANPVT changes() const { return changes_; }

private:
    void run();
    void stop();
    void dropLine();
    void report(bool connected, const std::string &status);

    const std::string name_;
    const std::string device_;
    int handle_ = 0; // worker thread only; 0 while the line is lost

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> queue_;
    bool stopping_ = false;
    bool connected_ = false;
    std::string status_;
    IOSCANPVT changes_ = nullptr;
    std::map<std::string, std::vector<dbCommon *>> readers_;
    std::thread worker_;
};

} // namespace kivraioc

#endif
