// Calls on different handles from different threads at once, and a close
// racing an exchange on the same handle. Built with ThreadSanitizer as well,
// where any data race fails the run.
#include "KivraLibrary.h"
#include "simulator.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int kPorts = 8;
constexpr int kCycles = 12;           // opens and closes per thread
constexpr int kCallsPerOpen = 6;      // exchanges per open
constexpr int32_t kOnTimeBase = 1000; // port i holds on time kOnTimeBase + i

TEST(Threads, EightPortsOnEightThreadsNeverMixUp)
{
    std::vector<std::unique_ptr<kivrasim::Simulator>> sims;
    for (int i = 0; i < kPorts; ++i) {
        sims.push_back(std::make_unique<kivrasim::Simulator>());
        ASSERT_TRUE(sims.back()->start("THREAD" + std::to_string(i)));
        sims.back()->keepRequests(0);
        sims.back()->setParameter(0x03, kOnTimeBase + i);
    }
    std::atomic<int> wrong{0};
    std::atomic<int> failed{0};
    std::atomic<int> staleAnswered{0};
    std::vector<std::thread> threads;
    for (int i = 0; i < kPorts; ++i) {
        threads.emplace_back([&, i] {
            const std::string name = "THREAD" + std::to_string(i);
            int previous = 0;
            for (int cycle = 0; cycle < kCycles; ++cycle) {
                const int handle = openSerial(name.c_str());
                if (handle <= 0) {
                    ++failed;
                    continue;
                }
                for (int call = 0; call < kCallsPerOpen; ++call) {
                    const int value = getShutterOnTime(handle);
                    // -2 may come on a loaded machine; another port's value never.
                    if (value != kOnTimeBase + i && value != -2) {
                        ++wrong;
                    }
                }
                closeSerial(handle);
                // The handle closed on the last cycle must stay dead while
                // the other threads open ports.
                if (previous > 0 && getShutterOnTime(previous) != -2) {
                    ++staleAnswered;
                }
                previous = handle;
            }
        });
    }
    for (std::thread &t : threads) {
        t.join();
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(failed, 0);
    EXPECT_EQ(staleAnswered, 0);
}

TEST(Threads, CloseWaitsForTheExchangeInProgress)
{
    kivrasim::Simulator sim;
    ASSERT_TRUE(sim.start("RACE"));
    sim.setParameter(0x03, 4321);
    kivrasim::Faults faults;
    faults.replyDelayMs = 15; // within the budget
    sim.setFaults(faults);
    const int handle = openSerial("RACE");
    ASSERT_GT(handle, 0);

    std::atomic<int> result{0};
    std::thread caller([&] { result = getShutterOnTime(handle); });
    // The request has reached the controller: the exchange is under way.
    while (sim.exchangeCount() == 0) {
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    EXPECT_EQ(closeSerial(handle), 0);
    caller.join();
    EXPECT_EQ(result, 4321);
    EXPECT_EQ(getShutterOnTime(handle), -2);
    // The port is free again, for a new handle.
    const int again = openSerial("RACE");
    EXPECT_GT(again, 0);
    EXPECT_NE(again, handle);
    closeSerial(again);
}

} // namespace
