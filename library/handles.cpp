#include "handles.h"

#include <map>
#include <mutex>

namespace kivra {

namespace {

std::mutex &tableMutex()
{
    static std::mutex mutex;
    return mutex;
}

// Function-local so the table exists before any caller in a static
// initialiser of another translation unit needs it.
std::map<int, intptr_t> &table()
{
    static std::map<int, intptr_t> handles;
    return handles;
}

} // namespace

bool addHandle(int handle, intptr_t native)
{
    if (handle <= 0) {
        return false;
    }
    std::lock_guard<std::mutex> lock(tableMutex());
    return table().emplace(handle, native).second;
}

bool findHandle(int handle, intptr_t *native)
{
    std::lock_guard<std::mutex> lock(tableMutex());
    const auto it = table().find(handle);
    if (it == table().end()) {
        return false;
    }
    if (native) {
        *native = it->second;
    }
    return true;
}

bool removeHandle(int handle, intptr_t *native)
{
    std::lock_guard<std::mutex> lock(tableMutex());
    const auto it = table().find(handle);
    if (it == table().end()) {
        return false;
    }
    if (native) {
        *native = it->second;
    }
    table().erase(it);
    return true;
}

} // namespace kivra
