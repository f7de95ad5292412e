#include "simulator.h"

#include "devframe.h"
#include "device.h"
#include "line.h"
#include "pacing.h"
#include "portlink.h"

#include "KivraLine.h"
#include "kivra_portdir.h"

#include <algorithm>
#include <atomic>
#include <deque>
#include <mutex>
#include <thread>

namespace kivrasim {

namespace {

using Clock = std::chrono::steady_clock;

constexpr size_t kReadChunkBytes = 256;
// A request whose rest has not come after this long is given up, so a frame
// cut short by the host cannot swallow the next one. A busy host can deliver
// one write to the terminal in two pieces some milliseconds apart; 10 ms lost
// about one request in 10^4 that way with every core busy.
constexpr int kStaleFrameMs = 50;
// Waits longer than this go through the line's wait so stop() can cut them
// short; the last stretch is slept precisely.
constexpr auto kCoarseWaitMargin = std::chrono::milliseconds(2);
Clock::duration lineTime(size_t bytes)
{
    return kivra::lineTime(static_cast<long long>(bytes));
}

std::string hexCode(uint16_t code)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string s = "0x0000";
    for (int i = 0; i < 4; ++i) {
        s[static_cast<size_t>(5 - i)] = digits[(code >> (4 * i)) & 0xF];
    }
    return s;
}

} // namespace

struct Simulator::Impl
{
    mutable std::mutex mutex;
    DeviceModel model;
    Faults faults;
    std::vector<uint8_t> script;
    bool scripted = false;
    std::deque<std::vector<uint8_t>> requests;
    size_t keptRequests = kDefaultKeptRequests;
    int exchanges = 0;
    EventHandler handler;
    std::string name;
    std::string listen;
    std::string linkPath;
    std::string endpoint;    // what the entry names: the pty, or the URL
    bool device = false;     // endpoint is a pty
    Publication publication; // while published: the entry (and lock) to remove
    std::string error;

    // Made by start(), released by stop() once the serving thread, which it
    // wakes, has ended.
    std::unique_ptr<Line> line;
    std::atomic<bool> stopping{false};
    std::atomic<bool> hungUp{false};
    std::thread thread;

    void serve();
    void handleRequest(const Request &request, Clock::time_point received);
    bool waitUntil(Clock::time_point deadline);
    bool send(const std::vector<uint8_t> &bytes, const Faults &f, Clock::time_point base);
    void hangUp();
    void notify(Event::Kind kind, const std::string &text);
};

void Simulator::Impl::notify(Event::Kind kind, const std::string &text)
{
    EventHandler h;
    {
        std::lock_guard<std::mutex> lock(mutex);
        h = handler;
    }
    if (h) {
        h(Event{kind, text});
    }
}

bool Simulator::Impl::waitUntil(Clock::time_point deadline)
{
    for (;;) {
        if (stopping) {
            return false;
        }
        const auto left = deadline - Clock::now();
        if (left <= kCoarseWaitMargin) {
            break;
        }
        const auto ms =
            std::chrono::duration_cast<std::chrono::milliseconds>(left - kCoarseWaitMargin);
        line->wait(static_cast<int>(ms.count()) + 1, false);
    }
    sleepUntil(deadline);
    return !stopping;
}

// Sends reply bytes no earlier than their deadlines: with line rate each byte
// is due one byte time after the one before it, counted from base rather than
// from the last write so that late wake-ups do not add up; pieces are written
// separately with the chosen gap between them.
bool Simulator::Impl::send(const std::vector<uint8_t> &bytes, const Faults &f,
                           Clock::time_point base)
{
    const size_t piece = f.chunkBytes > 0 ? static_cast<size_t>(f.chunkBytes) : bytes.size();
    const auto gap = std::chrono::milliseconds(f.chunkGapMs);
    auto due = [&](size_t k) {
        return base + gap * static_cast<long>(k / piece) +
               (f.lineRate ? lineTime(k + 1) : Clock::duration(0));
    };
    size_t sent = 0;
    while (sent < bytes.size()) {
        if (!waitUntil(due(sent))) {
            return false;
        }
        const auto now = Clock::now();
        const size_t pieceEnd = std::min(bytes.size(), (sent / piece + 1) * piece);
        size_t end = sent + 1;
        while (end < pieceEnd && due(end) <= now) {
            ++end;
        }
        if (!line->write(bytes.data() + sent, end - sent)) {
            return false;
        }
        sent = end;
    }
    return true;
}

void Simulator::Impl::hangUp()
{
    std::string path;
    {
        // Flag and link go first, so whoever sees the line drop also sees
        // the port gone.
        std::lock_guard<std::mutex> lock(mutex);
        hungUp = true;
        publication.withdraw();
        line->close();
        path = linkPath;
    }
    notify(Event::HangUp, "port " + name + " hung up after " + std::to_string(exchanges) +
                              " exchanges (" + path + " removed)");
}

void Simulator::Impl::handleRequest(const Request &request, Clock::time_point received)
{
    Faults f;
    std::vector<uint8_t> reply;
    DeviceReply answer;
    bool drop = false;
    {
        std::lock_guard<std::mutex> lock(mutex);
        f = faults;
        drop = f.dropAfter >= 0 && exchanges >= f.dropAfter;
        if (drop) {
            stopping = true;
        } else {
            ++exchanges;
            if (keptRequests > 0) {
                if (requests.size() >= keptRequests) {
                    requests.pop_front();
                }
                requests.push_back(request.raw);
            }
            if (faults.lateOnceMs > 0) {
                f.replyDelayMs += faults.lateOnceMs;
                faults.lateOnceMs = 0;
            }
            answer = model.handle(request.code, request.data, received);
            if (!f.silent) {
                if (scripted) {
                    reply = script;
                    scripted = false;
                } else {
                    const uint16_t status = answer.accepted ? f.okStatus : kStatusRefused;
                    reply =
                        buildReply(request.code, status, answer.data.data(), answer.data.size());
                    corruptReply(reply, ReplyCorruption{f.corruptStart, f.corruptStatus,
                                                        f.corruptLength, f.corruptCheck});
                }
            }
        }
    }
    if (drop) {
        hangUp();
        return;
    }
    auto base = received + std::chrono::milliseconds(f.replyDelayMs);
    if (f.lineRate) {
        base += lineTime(request.raw.size());
    }
    if (!send(reply, f, base)) {
        return;
    }
    notify(Event::Exchange, "request " + hexCode(request.code) + " length " +
                                std::to_string(request.data.size()) + " -> " +
                                (f.silent ? std::string("no reply")
                                          : std::string(answer.accepted ? "accepted" : "refused") +
                                                ", " + std::to_string(reply.size()) + " bytes"));
}

void Simulator::Impl::serve()
{
    useFineTimerSlack();
    RequestParser parser;
    uint8_t buffer[kReadChunkBytes];
    while (!stopping) {
        const Line::Ready ready = line->wait(parser.hasPartial() ? kStaleFrameMs : -1, true);
        if (ready == Line::Ready::Failed || stopping) {
            break;
        }
        if (ready == Line::Ready::Timeout) {
            parser.dropPartial();
        } else if (ready == Line::Ready::Input) {
            const long n = line->read(buffer, sizeof buffer);
            if (n < 0) {
                break;
            }
            parser.feed(buffer, static_cast<size_t>(n));
        }
        const auto received = Clock::now();
        Request request;
        while (!stopping && parser.next(request)) {
            handleRequest(request, received);
        }
    }
}

Simulator::Simulator() : d(new Impl) {}

Simulator::~Simulator()
{
    stop();
}

void Simulator::listen(const std::string &address)
{
    std::lock_guard<std::mutex> lock(d->mutex);
    d->listen = address;
}

bool Simulator::start(const std::string &name, const std::string &portDir)
{
    stop();
    std::string error;
    std::string listen;
    {
        std::lock_guard<std::mutex> lock(d->mutex);
        listen = d->listen;
    }
    std::unique_ptr<Line> line = openHostLine(listen, error);
    if (!line) {
        std::lock_guard<std::mutex> lock(d->mutex);
        d->error = error;
        return false;
    }
    const std::string dir = portDir.empty() ? defaultPortDir() : portDir;
    std::lock_guard<std::mutex> lock(d->mutex);
    if (d->publication.publish(dir, name, line->endpoint(), line->isDevice(), error) !=
        PublishResult::Published) {
        d->error = error;
        return false;
    }
    d->line = std::move(line);
    d->name = name;
    d->linkPath = d->publication.path();
    d->endpoint = d->line->endpoint();
    d->device = d->line->isDevice();
    d->error.clear();
    d->stopping = false;
    d->hungUp = false;
    d->thread = std::thread([this] { d->serve(); });
    return true;
}

void Simulator::stop()
{
    if (d->thread.joinable()) {
        d->stopping = true;
        d->line->wake();
        d->thread.join();
    }
    std::lock_guard<std::mutex> lock(d->mutex);
    d->publication.withdraw();
    d->line.reset();
}

std::string Simulator::portName() const
{
    std::lock_guard<std::mutex> lock(d->mutex);
    return d->name;
}

std::string Simulator::linkPath() const
{
    std::lock_guard<std::mutex> lock(d->mutex);
    return d->linkPath;
}

std::string Simulator::ttyPath() const
{
    std::lock_guard<std::mutex> lock(d->mutex);
    return d->device ? d->endpoint : std::string();
}

std::string Simulator::url() const
{
    std::lock_guard<std::mutex> lock(d->mutex);
    return d->device ? std::string() : d->endpoint;
}

std::string Simulator::lastError() const
{
    std::lock_guard<std::mutex> lock(d->mutex);
    return d->error;
}

bool Simulator::hungUp() const
{
    return d->hungUp;
}

void Simulator::setFaults(const Faults &faults)
{
    std::lock_guard<std::mutex> lock(d->mutex);
    d->faults = faults;
}

Faults Simulator::faults() const
{
    std::lock_guard<std::mutex> lock(d->mutex);
    return d->faults;
}

void Simulator::setEventHandler(EventHandler handler)
{
    std::lock_guard<std::mutex> lock(d->mutex);
    d->handler = std::move(handler);
}

void Simulator::scriptReply(const std::vector<uint8_t> &bytes)
{
    std::lock_guard<std::mutex> lock(d->mutex);
    d->script = bytes;
    d->scripted = true;
}

std::vector<std::vector<uint8_t>> Simulator::requests() const
{
    std::lock_guard<std::mutex> lock(d->mutex);
    return {d->requests.begin(), d->requests.end()};
}

void Simulator::keepRequests(size_t count)
{
    std::lock_guard<std::mutex> lock(d->mutex);
    d->keptRequests = count;
    while (d->requests.size() > count) {
        d->requests.pop_front();
    }
}

void Simulator::clearRequests()
{
    std::lock_guard<std::mutex> lock(d->mutex);
    d->requests.clear();
}

int Simulator::exchangeCount() const
{
    std::lock_guard<std::mutex> lock(d->mutex);
    return d->exchanges;
}

int32_t Simulator::parameter(uint16_t getCode) const
{
    std::lock_guard<std::mutex> lock(d->mutex);
    return d->model.value(getCode, Clock::now());
}

float Simulator::frequency() const
{
    std::lock_guard<std::mutex> lock(d->mutex);
    return d->model.frequency(Clock::now());
}

void Simulator::setParameter(uint16_t setCode, int32_t v)
{
    std::lock_guard<std::mutex> lock(d->mutex);
    d->model.set(setCode, v, Clock::now(), false);
}

std::string Simulator::text(uint16_t readCode) const
{
    std::lock_guard<std::mutex> lock(d->mutex);
    return d->model.text(readCode);
}

void Simulator::setText(uint16_t readCode, const std::string &value)
{
    std::lock_guard<std::mutex> lock(d->mutex);
    d->model.setText(readCode, value);
}

int32_t Simulator::tuning(uint16_t code) const
{
    std::lock_guard<std::mutex> lock(d->mutex);
    return d->model.tuning(code);
}

void Simulator::trigger()
{
    std::lock_guard<std::mutex> lock(d->mutex);
    d->model.trigger(Clock::now());
}

std::string defaultPortDir()
{
    return kivra::virtualPortDirectory();
}

} // namespace kivrasim
