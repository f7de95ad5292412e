// The telnet side of an rfc2217:// port: option negotiation, the serial port
// control option's requests and answers, and the data stream with 0xFF
// doubled and telnet commands filtered out. Pure code over byte buffers; the
// network port feeds it what the socket gave and sends what it returns.
#ifndef KIVRA_TELNET_H
#define KIVRA_TELNET_H

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace kivra {

namespace telnet {

constexpr uint8_t kIac = 255;
constexpr uint8_t kDont = 254;
constexpr uint8_t kDo = 253;
constexpr uint8_t kWont = 252;
constexpr uint8_t kWill = 251;
constexpr uint8_t kSb = 250;
constexpr uint8_t kSe = 240;
constexpr uint8_t kCr = 13;
constexpr uint8_t kNul = 0;

constexpr uint8_t kOptBinary = 0;
constexpr uint8_t kOptSuppressGoAhead = 3;
constexpr uint8_t kOptComPort = 44;

// Serial port control commands a client sends; the server answers each with
// the same code plus kServerAnswer and the value it now uses.
constexpr uint8_t kSetBaudRate = 1;
constexpr uint8_t kSetDataSize = 2;
constexpr uint8_t kSetParity = 3;
constexpr uint8_t kSetStopSize = 4;
constexpr uint8_t kPurgeData = 12;
constexpr uint8_t kServerAnswer = 100;
constexpr uint8_t kLastCommand = kPurgeData;

constexpr uint8_t kParityNone = 1;
constexpr uint8_t kStopSizeOne = 1;
constexpr uint8_t kStopSizeTwo = 2;
// Purges the server's buffer of data received from the serial line.
constexpr uint8_t kPurgeServerReceive = 1;

// Longest subnegotiation kept; anything longer is not one of ours.
constexpr size_t kMaxSubnegotiation = 32;

} // namespace telnet

class TelnetCodec
{
public:
    TelnetCodec();

    // Asks for binary transmission and suppressed go-ahead both ways and
    // offers the serial port control option.
    std::vector<uint8_t> openingRequests();

    // Appends data for the wire: 0xFF doubled; CR followed by NUL while the
    // server has not agreed to binary data from us.
    void encodeData(const uint8_t *bytes, size_t count, std::vector<uint8_t> &out) const;

    // A serial port control request with its value escaped.
    static std::vector<uint8_t> comPortRequest(uint8_t command, const uint8_t *value, size_t count);
    // SET-BAUDRATE, SET-DATASIZE, SET-PARITY and SET-STOPSIZE in one buffer.
    static std::vector<uint8_t> lineSettingsRequests(uint32_t baudRate, uint8_t dataSize,
                                                     uint8_t parity, uint8_t stopSize);

    // Takes received bytes: the data among them goes to data, answers owed
    // to the server's negotiation go to replies. Sequences split across calls
    // are resumed.
    void decode(const uint8_t *bytes, size_t count, std::vector<uint8_t> &data,
                std::vector<uint8_t> &replies);

    // No option this side asked for still waits for the server's word.
    bool negotiationSettled() const;
    bool comPortAccepted() const; // the server said DO to the control option
    bool comPortRefused() const;  // ... or DONT
    // The server has answered this control command since the last forget().
    bool answered(uint8_t command) const;
    // The value of the last answer to command (empty when none came).
    const std::vector<uint8_t> &answer(uint8_t command) const;
    void forget(uint8_t command);

private:
    enum class Side
    {
        No,
        WantYes,
        Yes
    };
    enum class State
    {
        Data,
        Iac,
        Verb,
        Sub,
        SubIac
    };
    static constexpr size_t kOptions = 256;

    void negotiate(uint8_t verb, uint8_t option, std::vector<uint8_t> &replies);
    void subnegotiation();
    static bool wantHim(uint8_t option);
    static bool wantUs(uint8_t option);

    std::array<Side, kOptions> us_{};
    std::array<Side, kOptions> him_{};
    State state_ = State::Data;
    uint8_t verb_ = 0;
    bool afterCr_ = false;
    bool subOverflow_ = false;
    std::vector<uint8_t> sub_;
    std::array<bool, telnet::kLastCommand + 1> answered_{};
    std::array<std::vector<uint8_t>, telnet::kLastCommand + 1> answers_;
};

} // namespace kivra

#endif
