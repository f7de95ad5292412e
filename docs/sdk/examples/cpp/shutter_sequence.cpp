// Runs a short automatic sequence on a Kivra shutter controller and waits
// until it has finished; the C++ flavour, with the handle closed by its owner.
//
//   shutter_sequence_cpp [port]      (default: the first port listed)
//
// Build against the SDK folder:
//   c++ -std=c++17 shutter_sequence.cpp -I../../include -L../../lib
//       -lKivraLibrary -Wl,-rpath,'$ORIGIN/../../lib' -o shutter_sequence_cpp
// (one line)
#include <chrono>
#include <iostream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "KivraLibrary.h"
#include "KivraVocabulary.h"

namespace {

// Turns a negative result into an exception that names the call and the cause.
int check(const char *what, int result)
{
    if (result < 0)
        throw std::runtime_error(std::string(what) + " failed: " + kivraResultText(result) + " (" +
                                 std::to_string(result) + ")");
    return result;
}

std::vector<std::string> ports()
{
    std::vector<char> buffer(1024);
    check("listPorts", listPorts(buffer.data(), int(buffer.size())));
    std::vector<std::string> names;
    std::string list(buffer.data());
    for (size_t start = 0; !list.empty() && start <= list.size();) {
        const size_t comma = list.find(',', start);
        names.push_back(list.substr(start, comma - start));
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    return names;
}

// Owns one open controller.
class Shutter
{
public:
    explicit Shutter(const std::string &port) : handle_(openSerial(port.c_str()))
    {
        if (handle_ <= 0)
            throw std::runtime_error("cannot open " + port);
    }
    ~Shutter() { closeSerial(handle_); }
    Shutter(const Shutter &) = delete;
    Shutter &operator=(const Shutter &) = delete;

    std::string serialNumber() const
    {
        char field[KIVRA_TEXT_FIELD_SIZE + 1] = {};
        check("getSerialNumber", getSerialNumber(handle_, field, KIVRA_TEXT_FIELD_SIZE));
        return field;
    }

    void runSequence(int onMs, int offMs, int cycles)
    {
        check("setShutterMode", setShutterMode(handle_, KIVRA_MODE_AUTO));
        check("setShutterOnTime", setShutterOnTime(handle_, onMs));
        check("setShutterOffTime", setShutterOffTime(handle_, offMs));
        check("setShutterCycleCount", setShutterCycleCount(handle_, cycles));
        check("setShutterState", setShutterState(handle_, KIVRA_STATE_OPEN));
    }

    // The frequency in Hz; 0 when no sequence runs.
    float frequency() const
    {
        const float hz = getFrequency(handle_);
        if (hz < 0)
            throw std::runtime_error("getFrequency failed: " + std::to_string(hz));
        return hz;
    }

    void manual() { check("setShutterMode", setShutterMode(handle_, KIVRA_MODE_MANUAL)); }

private:
    int handle_;
};

} // namespace

int main(int argc, char **argv)
{
    try {
        const std::vector<std::string> names = ports();
        const std::string port = argc > 1 ? argv[1] : names.empty() ? "" : names.front();
        Shutter shutter(port);
        std::cout << "opened " << port << ", serial number " << shutter.serialNumber() << "\n";

        shutter.runSequence(20, 30, 10);
        std::cout << "running at " << shutter.frequency() << " Hz\n";
        const auto start = std::chrono::steady_clock::now();
        const auto giveUp = start + std::chrono::seconds(5);
        while (shutter.frequency() > 0) {
            if (std::chrono::steady_clock::now() > giveUp)
                throw std::runtime_error("the sequence did not finish");
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now() - start);
        std::cout << "finished after about " << took.count() << " ms\n";
        shutter.manual();
        return 0;
    } catch (const std::exception &e) {
        std::cerr << e.what() << "\n";
        return 1;
    }
}
