// Scratch state for the tests under wine: a folder removed with all it holds.
#ifndef KIVRA_TEST_SCRATCH_WIN_H
#define KIVRA_TEST_SCRATCH_WIN_H

#include <windows.h>

#include <string>

namespace scratch {

inline void removeAll(const std::wstring &dir)
{
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW((dir + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
                DeleteFileW((dir + L"\\" + name).c_str());
            } else if (name != L"." && name != L"..") {
                removeAll(dir + L"\\" + name);
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(dir.c_str());
}

// A path below the user's temporary folder, unique to this process and
// call, that does not exist yet.
inline std::string tempPath(const char *prefix)
{
    static int made = 0;
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    return std::string(temp) + prefix + std::to_string(GetCurrentProcessId()) + "-" +
           std::to_string(GetTickCount64()) + "-" + std::to_string(++made);
}

} // namespace scratch

#endif
