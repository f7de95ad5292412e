#include "portlink.h"

#include "entryfile_win.h"
#include "kivra_portdir.h"
#include "kivra_portedit.h"
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
    // Others may read it, nobody may write or delete it, and it goes with
    // the last handle: this one, when the process ends however it ends.
    kivra::AsideOpening opening;
    opening.access = GENERIC_WRITE | DELETE;
    opening.share = FILE_SHARE_READ;
    opening.creation = CREATE_ALWAYS;
    opening.flags = FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE;
    const kivra::AsideEntry written = kivra::writeEntryAside(dir, name, target, opening);
    if (!written.created) {
        error =
            "cannot create an entry in " + dir + " (error " + std::to_string(written.error) + ")";
        return PublishResult::Failed;
    }
    if (written.file == INVALID_HANDLE_VALUE) {
        error = "cannot write " + path + " (error " + std::to_string(written.error) + ")";
        return PublishResult::Failed;
    }
    const HANDLE file = written.file;
    if (!rename(file, entry)) {
        const DWORD why = GetLastError();
        CloseHandle(file);
        if (why == ERROR_ALREADY_EXISTS || why == ERROR_FILE_EXISTS ||
            GetFileAttributesW(entry.c_str()) != INVALID_FILE_ATTRIBUTES) {
            error = heldOpen(entry)
                        ? "port name " + name + " is taken by a running simulator (" + path + ")"
                        : kivra::nameTakenLine(dir, name);
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
