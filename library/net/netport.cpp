#include "netport.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace kivra {

namespace {

// A request is at most 64 bytes; a socket that cannot take it within this
// long belongs to a server that has stopped reading.
constexpr std::chrono::milliseconds kSendPatience{20};
// Telnet bytes arrive in bursts of a few dozen; one receive takes this many.
constexpr int kReceiveChunk = 512;

constexpr uint8_t kLineSettingAnswers[] = {telnet::kSetBaudRate, telnet::kSetDataSize,
                                           telnet::kSetParity, telnet::kSetStopSize};

std::vector<uint8_t> expectedAnswer(uint8_t command)
{
    switch (command) {
    case telnet::kSetBaudRate:
        return {static_cast<uint8_t>(kLineBaud >> 24), static_cast<uint8_t>(kLineBaud >> 16),
                static_cast<uint8_t>(kLineBaud >> 8), static_cast<uint8_t>(kLineBaud)};
    case telnet::kSetDataSize:
        return {static_cast<uint8_t>(kLineDataBits)};
    case telnet::kSetParity:
        return {telnet::kParityNone};
    default:
        return {telnet::kStopSizeTwo};
    }
}

} // namespace

NetPort::NetPort(NetScheme scheme, NetSocket socket, Release release)
    : scheme_(scheme), socket_(socket), release_(std::move(release))
{
}

NetPort::~NetPort()
{
    lose();
}

std::unique_ptr<NetPort> NetPort::open(const NetAddress &address, NetClock::time_point deadline,
                                       Release release)
{
    const auto connecting = NetClock::now();
    const NetSocket socket = netConnect(address.host, address.port, deadline);
    if (socket == kNoSocket) {
        return nullptr;
    }
    // The handshake crossed the path once each way, as far as the first
    // TCP endpoint: a relay in between hides the rest until an exchange.
    const auto handshake =
        std::max<NetClock::duration>(NetClock::now() - connecting, netRoundTrip(socket));
    std::unique_ptr<NetPort> port(new NetPort(address.scheme, socket, std::move(release)));
    port->roundTrip_.seed(handshake, false);
    if (address.scheme == NetScheme::Rfc2217 && !port->negotiate(deadline)) {
        return nullptr;
    }
    return port;
}

bool NetPort::negotiate(NetClock::time_point deadline)
{
    // Binary mode must be settled before any data goes out: until then a CR
    // would travel as CR NUL, and the NUL would reach the line.
    if (!sendAll(codec_.openingRequests(), deadline)) {
        return false;
    }
    while (!codec_.negotiationSettled()) {
        if (!receiveBy(deadline)) {
            return false;
        }
    }
    if (!codec_.comPortAccepted()) {
        return false;
    }
    const std::vector<uint8_t> settings = TelnetCodec::lineSettingsRequests(
        kLineBaud, kLineDataBits, telnet::kParityNone, telnet::kStopSizeTwo);
    const auto settingsSent = NetClock::now();
    if (!sendAll(settings, deadline)) {
        return false;
    }
    // The settings' answers are awaited (a line at the wrong speed would only
    // show as silence later); line-control answers never are, as servers on
    // a pseudo-terminal do not give them.
    for (uint8_t command : kLineSettingAnswers) {
        while (!codec_.answered(command)) {
            if (!receiveBy(deadline)) {
                return false;
            }
        }
        if (codec_.answer(command) != expectedAnswer(command)) {
            return false;
        }
    }
    // The server at the line's end answered: a round trip over the whole path.
    roundTrip_.seed(NetClock::now() - settingsSent, true);
    return true;
}

bool NetPort::receiveBy(NetClock::time_point deadline)
{
    // Data before the line is set is no reply of ours.
    std::vector<uint8_t> ignored;
    bool any = false;
    return netWaitReadable(socket_, deadline, deadline - NetClock::now()) &&
           receive(kReceiveChunk, ignored, &any);
}

bool NetPort::sendAll(const std::vector<uint8_t> &bytes, NetClock::time_point until)
{
    size_t done = 0;
    while (!lost() && done < bytes.size()) {
        int sent = 0;
        const NetIo io =
            netSend(socket_, bytes.data() + done, static_cast<int>(bytes.size() - done), &sent);
        if (io == NetIo::Closed) {
            break;
        }
        done += static_cast<size_t>(sent);
        if (io == NetIo::WouldBlock && !netWaitWritable(socket_, until)) {
            break;
        }
    }
    if (done < bytes.size()) {
        lose();
        return false;
    }
    return true;
}

bool NetPort::receive(int limit, std::vector<uint8_t> &data, bool *any)
{
    *any = false;
    if (lost()) {
        return false;
    }
    uint8_t raw[kReceiveChunk];
    int received = 0;
    const NetIo io = netReceive(socket_, raw, std::min(limit, kReceiveChunk), &received);
    if (io == NetIo::Closed) {
        lose();
        return false;
    }
    if (io == NetIo::WouldBlock || received == 0) {
        return true;
    }
    *any = true;
    if (scheme_ == NetScheme::RawSocket) {
        data.insert(data.end(), raw, raw + received);
        return true;
    }
    std::vector<uint8_t> replies;
    codec_.decode(raw, static_cast<size_t>(received), data, replies);
    return replies.empty() || sendAll(replies, NetClock::now() + kSendPatience);
}

void NetPort::discardInput()
{
    pending_.clear();
    std::vector<uint8_t> dropped;
    bool any = true;
    while (any && receive(kReceiveChunk, dropped, &any)) {
        dropped.clear();
    }
    if (!lost() && scheme_ == NetScheme::Rfc2217) {
        const uint8_t what = telnet::kPurgeServerReceive;
        sendAll(TelnetCodec::comPortRequest(telnet::kPurgeData, &what, 1),
                NetClock::now() + kSendPatience);
    }
}

int NetPort::write(const uint8_t *bytes, int count, Clock::time_point until)
{
    if (lost() || !bytes || count <= 0) {
        return 0;
    }
    std::vector<uint8_t> out;
    if (scheme_ == NetScheme::Rfc2217) {
        codec_.encodeData(bytes, static_cast<size_t>(count), out);
    } else {
        out.assign(bytes, bytes + count);
    }
    return sendAll(out, std::max(until, NetClock::now() + kSendPatience)) ? count : 0;
}

int NetPort::read(uint8_t *target, int wanted, Clock::time_point until)
{
    if (lost() || !target || wanted <= 0 || wanted > kStagingBytes) {
        return -1;
    }
    std::vector<uint8_t> data;
    data.swap(pending_);
    // Input ends a slice's wait at once, as on a local port.
    while (static_cast<int>(data.size()) < wanted) {
        bool any = false;
        // A raw socket is asked for no more than is missing, so surplus bytes
        // wait in the system for the next discard, as on a local port.
        const int limit = scheme_ == NetScheme::RawSocket ? wanted - static_cast<int>(data.size())
                                                          : kReceiveChunk;
        if (!receive(limit, data, &any)) {
            return -1;
        }
        if (any) {
            continue;
        }
        if (NetClock::now() >= until) {
            break;
        }
        netWaitReadable(socket_, until, kReadSlice);
    }
    const int received = std::min(wanted, static_cast<int>(data.size()));
    if (static_cast<int>(data.size()) > wanted) {
        pending_.assign(data.begin() + wanted, data.end());
    }
    std::memset(target, 0, static_cast<size_t>(wanted));
    if (received > 0) {
        std::memcpy(target, data.data(), static_cast<size_t>(received));
    }
    return received;
}

void NetPort::lose()
{
    netClose(socket_);
    socket_ = kNoSocket;
    if (release_) {
        Release release;
        release.swap(release_);
        release();
    }
}

} // namespace kivra
