#include "portlist_win.h"

#include "kivra_portdir.h"
#include "portlist.h"
#include "ports.h"

namespace kivra {

namespace {

constexpr const wchar_t *kPortMapKey = L"HARDWARE\\DEVICEMAP\\SERIALCOMM";
constexpr DWORD kValueNameChars = 256;
constexpr DWORD kValueDataBytes = 512;
// A double-byte OEM code page needs up to two bytes per character.
constexpr int kNameBytes = 2 * kValueDataBytes;

} // namespace

bool registryPortNames(HKEY root, const wchar_t *mapKey, std::vector<std::string> *names)
{
    HKEY key;
    if (RegOpenKeyExW(root, mapKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    for (DWORD index = 0;; ++index) {
        wchar_t valueName[kValueNameChars];
        DWORD nameChars = kValueNameChars;
        BYTE data[kValueDataBytes];
        DWORD dataBytes = kValueDataBytes;
        DWORD type = 0;
        const LONG status =
            RegEnumValueW(key, index, valueName, &nameChars, nullptr, &type, data, &dataBytes);
        if (status == ERROR_MORE_DATA) {
            continue; // no port name is that long, and its data was not read
        }
        if (status != ERROR_SUCCESS) {
            break;
        }
        if (type != REG_SZ) {
            continue;
        }
        // The stored string need not be terminated; it ends at its first zero.
        const auto *wide = reinterpret_cast<const wchar_t *>(data);
        const int capacity = static_cast<int>(dataBytes / sizeof(wchar_t));
        int wideChars = 0;
        while (wideChars < capacity && wide[wideChars] != L'\0') {
            ++wideChars;
        }
        char name[kNameBytes];
        const int length = WideCharToMultiByte(CP_OEMCP, 0, wide, wideChars, name,
                                               static_cast<int>(sizeof name), nullptr, nullptr);
        if (length > 0) {
            names->emplace_back(name, static_cast<size_t>(length));
        }
    }
    RegCloseKey(key);
    return true;
}

int enumeratePortsFrom(HKEY root, const wchar_t *mapKey, const std::string &portDir, char *buffer,
                       int size)
{
    if (!buffer || size <= 0) {
        return -1;
    }
    // Many machines have no serial hardware and so no map at all; their
    // published ports are still listed.
    std::vector<std::string> machine;
    const bool mapped = registryPortNames(root, mapKey, &machine);
    return formatPortList(mapped ? &machine : nullptr, listVirtualPorts(portDir), buffer, size);
}

int enumeratePorts(char *buffer, int size)
{
    return enumeratePortsFrom(HKEY_LOCAL_MACHINE, kPortMapKey, virtualPortDirectory(), buffer,
                              size);
}

} // namespace kivra
