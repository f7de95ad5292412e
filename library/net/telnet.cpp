#include "telnet.h"

namespace kivra {

using namespace telnet;

namespace {

constexpr int kByteBits = 8;
constexpr uint32_t kByteMask = 0xFF;
constexpr int kBaudRateBytes = 4;

void appendEscaped(std::vector<uint8_t> &out, uint8_t byte)
{
    out.push_back(byte);
    if (byte == kIac) {
        out.push_back(kIac);
    }
}

void appendCommand(std::vector<uint8_t> &out, uint8_t verb, uint8_t option)
{
    out.push_back(kIac);
    out.push_back(verb);
    out.push_back(option);
}

} // namespace

TelnetCodec::TelnetCodec()
{
    us_.fill(Side::No);
    him_.fill(Side::No);
}

bool TelnetCodec::wantHim(uint8_t option)
{
    return option == kOptBinary || option == kOptSuppressGoAhead;
}

bool TelnetCodec::wantUs(uint8_t option)
{
    return option == kOptBinary || option == kOptSuppressGoAhead || option == kOptComPort;
}

std::vector<uint8_t> TelnetCodec::openingRequests()
{
    std::vector<uint8_t> out;
    for (uint8_t option : {kOptBinary, kOptSuppressGoAhead, kOptComPort}) {
        if (us_[option] == Side::No) {
            us_[option] = Side::WantYes;
            appendCommand(out, kWill, option);
        }
        if (wantHim(option) && him_[option] == Side::No) {
            him_[option] = Side::WantYes;
            appendCommand(out, kDo, option);
        }
    }
    return out;
}

void TelnetCodec::encodeData(const uint8_t *bytes, size_t count, std::vector<uint8_t> &out) const
{
    const bool binary = us_[kOptBinary] == Side::Yes;
    for (size_t i = 0; i < count; ++i) {
        appendEscaped(out, bytes[i]);
        if (!binary && bytes[i] == kCr) {
            out.push_back(kNul);
        }
    }
}

std::vector<uint8_t> TelnetCodec::comPortRequest(uint8_t command, const uint8_t *value,
                                                 size_t count)
{
    std::vector<uint8_t> out{kIac, kSb, kOptComPort, command};
    for (size_t i = 0; i < count; ++i) {
        appendEscaped(out, value[i]);
    }
    out.push_back(kIac);
    out.push_back(kSe);
    return out;
}

std::vector<uint8_t> TelnetCodec::lineSettingsRequests(uint32_t baudRate, uint8_t dataSize,
                                                       uint8_t parity, uint8_t stopSize)
{
    // The baud rate travels in network byte order.
    uint8_t rate[kBaudRateBytes];
    for (int i = 0; i < kBaudRateBytes; ++i) {
        rate[i] =
            static_cast<uint8_t>((baudRate >> (kByteBits * (kBaudRateBytes - 1 - i))) & kByteMask);
    }
    std::vector<uint8_t> out = comPortRequest(kSetBaudRate, rate, sizeof rate);
    for (const auto &setting : {std::pair<uint8_t, uint8_t>{kSetDataSize, dataSize},
                                {kSetParity, parity},
                                {kSetStopSize, stopSize}}) {
        const std::vector<uint8_t> one = comPortRequest(setting.first, &setting.second, 1);
        out.insert(out.end(), one.begin(), one.end());
    }
    return out;
}

void TelnetCodec::decode(const uint8_t *bytes, size_t count, std::vector<uint8_t> &data,
                         std::vector<uint8_t> &replies)
{
    for (size_t i = 0; i < count; ++i) {
        const uint8_t b = bytes[i];
        switch (state_) {
        case State::Data:
            if (b == kIac) {
                state_ = State::Iac;
            } else if (afterCr_ && b == kNul) {
                // Without binary mode a CR travels as CR NUL.
                afterCr_ = false;
            } else {
                afterCr_ = b == kCr && him_[kOptBinary] != Side::Yes;
                data.push_back(b);
            }
            break;
        case State::Iac:
            afterCr_ = false;
            if (b == kIac) {
                data.push_back(kIac);
                state_ = State::Data;
            } else if (b == kWill || b == kWont || b == kDo || b == kDont) {
                verb_ = b;
                state_ = State::Verb;
            } else if (b == kSb) {
                sub_.clear();
                subOverflow_ = false;
                state_ = State::Sub;
            } else {
                // NOP, go-ahead, data mark and the rest carry no data.
                state_ = State::Data;
            }
            break;
        case State::Verb:
            negotiate(verb_, b, replies);
            state_ = State::Data;
            break;
        case State::Sub:
            if (b == kIac) {
                state_ = State::SubIac;
            } else if (sub_.size() < kMaxSubnegotiation) {
                sub_.push_back(b);
            } else {
                subOverflow_ = true;
            }
            break;
        case State::SubIac:
            if (b == kIac) {
                if (sub_.size() < kMaxSubnegotiation) {
                    sub_.push_back(kIac);
                } else {
                    subOverflow_ = true;
                }
                state_ = State::Sub;
            } else {
                // IAC SE ends it; any other command ends it as well, as
                // a broken subnegotiation must not swallow the stream.
                if (b == kSe && !subOverflow_) {
                    subnegotiation();
                }
                state_ = State::Data;
            }
            break;
        }
    }
}

void TelnetCodec::negotiate(uint8_t verb, uint8_t option, std::vector<uint8_t> &replies)
{
    // Each side's state changes only on a real change, and a reply goes
    // out only then, so the two ends cannot loop.
    const bool his = verb == kWill || verb == kWont;
    const bool yes = verb == kWill || verb == kDo;
    Side &side = his ? him_[option] : us_[option];
    const bool wanted = his ? wantHim(option) : wantUs(option);
    const uint8_t accept = his ? kDo : kWill;
    const uint8_t refuse = his ? kDont : kWont;
    if (yes) {
        if (side == Side::WantYes) {
            side = Side::Yes;
        } else if (side == Side::No) {
            if (wanted) {
                side = Side::Yes;
                appendCommand(replies, accept, option);
            } else {
                appendCommand(replies, refuse, option);
            }
        }
    } else {
        if (side == Side::Yes) {
            appendCommand(replies, refuse, option);
        }
        side = Side::No;
    }
}

void TelnetCodec::subnegotiation()
{
    if (sub_.size() < 2 || sub_[0] != kOptComPort || sub_[1] < kServerAnswer) {
        return;
    }
    const int command = sub_[1] - kServerAnswer;
    if (command > kLastCommand) {
        return;
    }
    answered_[static_cast<size_t>(command)] = true;
    answers_[static_cast<size_t>(command)].assign(sub_.begin() + 2, sub_.end());
}

bool TelnetCodec::negotiationSettled() const
{
    for (size_t option = 0; option < kOptions; ++option) {
        if (us_[option] == Side::WantYes || him_[option] == Side::WantYes) {
            return false;
        }
    }
    return true;
}

bool TelnetCodec::comPortAccepted() const
{
    return us_[kOptComPort] == Side::Yes;
}

bool TelnetCodec::comPortRefused() const
{
    return us_[kOptComPort] == Side::No;
}

bool TelnetCodec::answered(uint8_t command) const
{
    return command <= kLastCommand && answered_[command];
}

const std::vector<uint8_t> &TelnetCodec::answer(uint8_t command) const
{
    static const std::vector<uint8_t> none;
    return command <= kLastCommand ? answers_[command] : none;
}

void TelnetCodec::forget(uint8_t command)
{
    if (command <= kLastCommand) {
        answered_[command] = false;
        answers_[command].clear();
    }
}

} // namespace kivra
