#include "entryfile_win.h"

#include "kivra_portdir.h"
#include "portdir_win.h"

namespace kivra {

AsideEntry writeEntryAside(const std::string &dir, const std::string &name, const std::string &url,
                           const AsideOpening &opening)
{
    AsideEntry result;
    result.aside =
        wide(portEntryPath(dir, "." + name + "." + std::to_string(GetCurrentProcessId()) + ".new"));
    const HANDLE file = CreateFileW(result.aside.c_str(), opening.access, opening.share,
                                    opening.security, opening.creation, opening.flags, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        result.error = GetLastError();
        return result;
    }
    result.created = true;
    const std::string text = networkEntryText(url);
    DWORD written = 0;
    if (!WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ||
        written != text.size() || !FlushFileBuffers(file)) {
        result.error = GetLastError();
        CloseHandle(file);
        return result;
    }
    result.file = file;
    return result;
}

} // namespace kivra
