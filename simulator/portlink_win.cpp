#include "portlink.h"

#include "kivra_portdir.h"
#include "portdir_win.h"

#include <windows.h>

#include <vector>

namespace kivrasim {

namespace {

// Gives the open file the name path unless that name is taken: the entry
// appears whole, and nothing is replaced.
bool rename(HANDLE file, const std::wstring &path)
{
    std::vector<BYTE> buffer(sizeof(FILE_RENAME_INFO) + path.size() * sizeof(wchar_t));
    auto *info = reinterpret_cast<FILE_RENAME_INFO *>(buffer.data());
    info->ReplaceIfExists = FALSE;
    info->RootDirectory = nullptr;
    info->FileNameLength = static_cast<DWORD>(path.size() * sizeof(wchar_t));
    std::copy(path.begin(), path.end(), info->FileName);
    return SetFileInformationByHandle(file, FileRenameInfo, info,
                                      static_cast<DWORD>(buffer.size())) != 0;
}

// Whether a live publisher holds the entry at path: it is open without
// sharing deletion.
bool heldOpen(const std::wstring &path)
{
    const HANDLE file =
        CreateFileW(path.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return GetLastError() == ERROR_SHARING_VIOLATION;
    }
    CloseHandle(file);
    return false;
}

} // namespace

struct Publication::Impl
{
    std::string entryPath;
    HANDLE file = INVALID_HANDLE_VALUE;
};

Publication::Publication() : d(new Impl) {}

Publication::~Publication()
{
    withdraw();
}

std::string Publication::path() const
{
    return d->file != INVALID_HANDLE_VALUE ? d->entryPath : std::string();
}

PublishResult Publication::place(const std::string &dir, const std::string &name,
                                 const std::string &target, bool device, std::string &error)
{
    if (device) {
        error = "only network ports can be published here";
        return PublishResult::Failed;
    }
    if (!kivra::preparePortDirectory(dir, error)) {
        return PublishResult::Failed;
    }
    const std::string path = kivra::portEntryPath(dir, name);
    const std::wstring entry = kivra::wide(path);
    const std::wstring aside = kivra::wide(
        kivra::portEntryPath(dir, "." + name + "." + std::to_string(GetCurrentProcessId())));
    // Others may read it, nobody may write or delete it, and it goes with
    // the last handle: this one, when the process ends however it ends.
    HANDLE file =
        CreateFileW(aside.c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error =
            "cannot create an entry in " + dir + " (error " + std::to_string(GetLastError()) + ")";
        return PublishResult::Failed;
    }
    const std::string text = kivra::networkEntryText(target);
    DWORD written = 0;
    if (!WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ||
        written != text.size() || !FlushFileBuffers(file)) {
        error = "cannot write " + path + " (error " + std::to_string(GetLastError()) + ")";
        CloseHandle(file);
        return PublishResult::Failed;
    }
    if (!rename(file, entry)) {
        const DWORD why = GetLastError();
        CloseHandle(file);
        if (why == ERROR_ALREADY_EXISTS || why == ERROR_FILE_EXISTS ||
            GetFileAttributesW(entry.c_str()) != INVALID_FILE_ATTRIBUTES) {
            error = heldOpen(entry)
                        ? "port name " + name + " is taken by a running simulator (" + path + ")"
                        : "port name " + name + " is taken (" + path + ")";
            return PublishResult::NameTaken;
        }
        error = "cannot create " + path + " (error " + std::to_string(why) + ")";
        return PublishResult::Failed;
    }
    d->entryPath = path;
    d->file = file;
    return PublishResult::Published;
}

void Publication::withdraw()
{
    if (d->file != INVALID_HANDLE_VALUE) {
        CloseHandle(d->file);
    }
    d->file = INVALID_HANDLE_VALUE;
    d->entryPath.clear();
}

} // namespace kivrasim
