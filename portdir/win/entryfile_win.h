// Writing a network entry's file into the Windows port directory, for the
// entries made by hand (portedit_win.cpp) and the simulator's own: written
// aside under a name that never counts, so nobody reads half an entry; the
// caller then gives it its name only if that is still free.
#ifndef KIVRA_ENTRYFILE_WIN_H
#define KIVRA_ENTRYFILE_WIN_H

#include <windows.h>

#include <string>

namespace kivra {

// How the file aside is opened: CreateFileW's access, share mode, creation,
// flags and attributes, and security (nullptr: what the folder passes on).
struct AsideOpening
{
    DWORD access = GENERIC_WRITE;
    DWORD share = 0;
    DWORD creation = CREATE_NEW;
    DWORD flags = FILE_ATTRIBUTE_NORMAL;
    SECURITY_ATTRIBUTES *security = nullptr;
};

struct AsideEntry
{
    HANDLE file = INVALID_HANDLE_VALUE; // open and holding the text, when written
    bool created = false;               // the file aside was made; when not, nothing was written
    DWORD error = 0;                    // unless written: the error of the step that failed
    std::wstring aside;                 // where the file is written before it has its name
};

// Writes networkEntryText(url) into a new file beside dir/name, opened as
// opening says, and flushes it. The caller owns the open file and names it;
// when the writing fails the file is closed again (and, unless it goes when
// closed, left for the caller to delete).
AsideEntry writeEntryAside(const std::string &dir, const std::string &name, const std::string &url,
                           const AsideOpening &opening);

} // namespace kivra

#endif
