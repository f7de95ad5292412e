#include "portedit_platform.h"

#include "entryfile_win.h"
#include "kivra_portdir.h"
#include "portdir_win.h"

#include <windows.h>

namespace kivra {

namespace {

std::string why(DWORD error)
{
    return " (error " + std::to_string(error) + ")";
}

} // namespace

EntryEdit writeNetworkEntry(const std::string &dir, const std::string &name, const std::string &url,
                            std::string &error)
{
    const std::string entry = portEntryPath(dir, name);
    // The entry's own list, not the folder's inheritable one: it must be the
    // user's alone whatever the folder passes on.
    SECURITY_ATTRIBUTES attributes{};
    if (!privateAttributes(PortTrust(), &attributes)) {
        error = "cannot make " + entry + " private: the user is not known";
        return EntryEdit::Failed;
    }
    // Given its name only if that is still free: nothing is replaced.
    AsideOpening opening;
    opening.security = &attributes;
    const AsideEntry written = writeEntryAside(dir, name, url, opening);
    LocalFree(attributes.lpSecurityDescriptor);
    if (!written.created) {
        error = "cannot create an entry in " + dir + why(written.error);
        return EntryEdit::Failed;
    }
    const bool whole = written.file != INVALID_HANDLE_VALUE;
    if (whole) {
        CloseHandle(written.file);
    }
    const bool placed = whole && MoveFileExW(written.aside.c_str(), wide(entry).c_str(), 0);
    const DWORD placeError = whole ? GetLastError() : written.error;
    if (placed) {
        return EntryEdit::Done;
    }
    DeleteFileW(written.aside.c_str());
    if (placeError == ERROR_ALREADY_EXISTS || placeError == ERROR_FILE_EXISTS) {
        error = nameTakenLine(dir, name);
        return EntryEdit::Taken;
    }
    error = "cannot write " + entry + why(placeError);
    return EntryEdit::Failed;
}

EntryEdit removeEntryFile(const std::string &dir, const std::string &name, std::string &error)
{
    const std::string entry = portEntryPath(dir, name);
    const DWORD attributes = GetFileAttributesW(wide(entry).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        error = noPortLine(dir, name);
        return EntryEdit::Missing;
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        error = entry + " is not a port entry (a file)";
        return EntryEdit::Failed;
    }
    if (DeleteFileW(wide(entry).c_str())) {
        return EntryEdit::Done;
    }
    // A simulator holds its entry open without sharing deletion.
    const DWORD failure = GetLastError();
    if (failure == ERROR_SHARING_VIOLATION) {
        error = heldByPublisherLine(name);
        return EntryEdit::Held;
    }
    error = "cannot remove " + entry + why(failure);
    return EntryEdit::Failed;
}

} // namespace kivra
