// The port-list formatter and the name order: the buffer must hold exactly
// the names that fit, each with room for its separator and the terminator,
// zero-filled behind them; the order must be a strict weak order.
#include "serial/portlist.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

void fail()
{
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider in(data, size);
    const int bufferSize = in.ConsumeIntegralInRange<int>(-2, 300);
    std::vector<std::string> names;
    while (in.remaining_bytes() > 0 && names.size() < 64) {
        std::string name = in.ConsumeRandomLengthString(40);
        name.erase(std::remove(name.begin(), name.end(), '\0'), name.end());
        names.push_back(name);
    }

    std::vector<char> buffer(bufferSize > 0 ? size_t(bufferSize) : 1, '#');
    const int count =
        kivra::formatPortList(names, bufferSize > 0 ? buffer.data() : nullptr, bufferSize);
    if (bufferSize <= 0) {
        if (count != -1) {
            fail();
        }
    } else {
        // Each taken name uses its length and one separator byte; a name is
        // taken while the room left holds it, its separator and the
        // terminator. The last separator becomes the terminator.
        std::string expected;
        size_t used = 0;
        int taken = 0;
        for (const std::string &name : names) {
            if (size_t(bufferSize) - used < name.size() + 2) {
                break;
            }
            expected += name + ",";
            used += name.size() + 1;
            ++taken;
        }
        if (!expected.empty()) {
            expected.pop_back();
        }
        std::vector<char> want(size_t(bufferSize), '\0');
        std::memcpy(want.data(), expected.data(), expected.size());
        if (count != taken || buffer != want) {
            fail();
        }
    }

    for (size_t i = 0; i + 1 < names.size() && i < 8; ++i) {
        const std::string &a = names[i];
        const std::string &b = names[i + 1];
        if (kivra::portNameLess(a, a) || (kivra::portNameLess(a, b) && kivra::portNameLess(b, a))) {
            fail();
        }
        if (i + 2 < names.size()) {
            const std::string &c = names[i + 2];
            if (kivra::portNameLess(a, b) && kivra::portNameLess(b, c) &&
                !kivra::portNameLess(a, c)) {
                fail();
            }
        }
    }
    return 0;
}
