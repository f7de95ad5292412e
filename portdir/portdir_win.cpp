// The port directory on Windows: a folder private to the user whose entries
// are files holding a network URL. A simulator's entry is a file it holds
// open to be deleted when it closes, so the system removes it however the
// simulator ends. Files are read through handles opened without following
// reparse points, while a handle on the folder that does not share deletion
// keeps it from being swapped for another between the check and the reads.
#include "kivra_portdir.h"

#include "portdir_platform.h"
#include "portdir_win.h"

#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <cstring>
#include <cwchar>
#include <vector>

namespace kivra {

namespace {

constexpr const wchar_t *kOwnDirVariable = L"KIVRA_PORT_DIR";
constexpr const wchar_t *kLocalAppDataVariable = L"LOCALAPPDATA";
constexpr const char *kDefaultSubdir = "\\Kivra\\ports";
// Trusted besides the user: they can take any file anyway.
constexpr const char *kSystemSid = "S-1-5-18";
constexpr const char *kAdministratorsSid = "S-1-5-32-544";
// Protected from inheritance, full control for the user alone, passed on
// to what is created inside.
constexpr const wchar_t *kPrivateDaclFormat = L"D:P(A;OICI;FA;;;%ls)";
constexpr size_t kSddlChars = 256;
constexpr DWORD kWriteRights = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA |
                               FILE_WRITE_ATTRIBUTES | FILE_DELETE_CHILD | DELETE | WRITE_DAC |
                               WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// Printable ASCII, and what Windows file names cannot hold.
constexpr char kFirstNameChar = ' ';
constexpr char kLastNameChar = '~';
constexpr const char *kReservedChars = "<>:\"/\\|?*,";
constexpr const char *kReservedNames[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
constexpr const char *kNumberedDevices[] = {"COM", "LPT"};

class Handle
{
public:
    explicit Handle(HANDLE handle) : handle_(handle) {}
    ~Handle()
    {
        if (valid()) {
            CloseHandle(handle_);
        }
    }
    Handle(const Handle &) = delete;
    Handle &operator=(const Handle &) = delete;
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

std::string narrow(const std::wstring &text)
{
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                          nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(bytes > 0 ? bytes : 0), '\0');
    if (bytes > 0) {
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &utf8[0], bytes,
                            nullptr, nullptr);
    }
    return utf8;
}

std::string environment(const wchar_t *name)
{
    const DWORD chars = GetEnvironmentVariableW(name, nullptr, 0);
    if (chars == 0) {
        return std::string();
    }
    std::wstring value(chars, L'\0');
    const DWORD got = GetEnvironmentVariableW(name, &value[0], chars);
    value.resize(got < chars ? got : 0);
    return narrow(value);
}

std::string sidText(PSID sid)
{
    LPWSTR text = nullptr;
    if (!sid || !ConvertSidToStringSidW(sid, &text)) {
        return std::string();
    }
    const std::string result = narrow(text);
    LocalFree(text);
    return result;
}

std::string processUser()
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
        return std::string();
    }
    const Handle owned(token);
    DWORD bytes = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &bytes);
    std::vector<BYTE> buffer(bytes);
    if (bytes == 0 || !GetTokenInformation(token, TokenUser, buffer.data(), bytes, &bytes)) {
        return std::string();
    }
    return sidText(reinterpret_cast<TOKEN_USER *>(buffer.data())->User.Sid);
}

bool trusted(PSID sid, const PortTrust &trust)
{
    const std::string text = sidText(sid);
    return !text.empty() &&
           (text == trust.user || text == kSystemSid || text == kAdministratorsSid);
}

// What an object's owner and access list allow anyone but the trusted.
struct Security
{
    bool read = false; // the owner and list could be read
    bool ownerTrusted = false;
    bool othersAccess = false; // someone else is granted some access
    bool othersWrite = false;  // ... or the right to change it
};

Security securityOf(HANDLE object, const PortTrust &trust)
{
    Security security;
    PSID owner = nullptr;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(object, SE_FILE_OBJECT,
                        OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner, nullptr,
                        &dacl, nullptr, &descriptor) != ERROR_SUCCESS) {
        return security;
    }
    security.read = true;
    security.ownerTrusted = trusted(owner, trust);
    // No list at all lets everyone do everything.
    security.othersAccess = security.othersWrite = dacl == nullptr;
    for (DWORD i = 0; dacl && i < dacl->AceCount; ++i) {
        ACE_HEADER *header = nullptr;
        if (!GetAce(dacl, i, reinterpret_cast<void **>(&header))) {
            security.othersAccess = security.othersWrite = true;
            break;
        }
        if ((header->AceFlags & INHERIT_ONLY_ACE) != 0 ||
            header->AceType == ACCESS_DENIED_ACE_TYPE ||
            header->AceType == ACCESS_DENIED_OBJECT_ACE_TYPE) {
            continue;
        }
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE) {
            // A kind of grant not read here: counted as granting everything.
            security.othersAccess = security.othersWrite = true;
            continue;
        }
        const auto *ace = reinterpret_cast<const ACCESS_ALLOWED_ACE *>(header);
        if (ace->Mask != 0 && !trusted(const_cast<DWORD *>(&ace->SidStart), trust)) {
            security.othersAccess = true;
            security.othersWrite = security.othersWrite || (ace->Mask & kWriteRights) != 0;
        }
    }
    LocalFree(descriptor);
    return security;
}

bool missingError(DWORD error)
{
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
           error == ERROR_INVALID_NAME || error == ERROR_BAD_NETPATH;
}

// Opens dir and checks what was opened. Its handle does not share deletion,
// so the folder cannot be renamed or removed while it is held.
HANDLE openPortDirectory(const std::string &dir, const PortTrust &trust, PortDirStatus *status)
{
    const std::wstring path = wide(dir);
    HANDLE handle =
        path.empty()
            ? INVALID_HANDLE_VALUE
            : CreateFileW(path.c_str(), FILE_LIST_DIRECTORY | READ_CONTROL,
                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                          FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = path.empty() ? ERROR_PATH_NOT_FOUND : GetLastError();
        const DWORD attributes =
            path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(path.c_str());
        if (missingError(error) || attributes == INVALID_FILE_ATTRIBUTES) {
            *status = missingError(error) ? PortDirStatus::Missing : PortDirStatus::Unreadable;
        } else {
            *status = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? PortDirStatus::Unreadable
                                                                   : PortDirStatus::NotADirectory;
        }
        return INVALID_HANDLE_VALUE;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    const Security security = securityOf(handle, trust);
    if (!GetFileInformationByHandle(handle, &info)) {
        *status = PortDirStatus::Unreadable;
    } else if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 ||
               (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        *status = PortDirStatus::NotADirectory;
    } else if (!security.read) {
        *status = PortDirStatus::Unreadable;
    } else if (!security.ownerTrusted) {
        *status = PortDirStatus::NotOwned;
    } else if (security.othersAccess) {
        *status = PortDirStatus::OpenToOthers;
    } else {
        *status = PortDirStatus::Usable;
        return handle;
    }
    CloseHandle(handle);
    return INVALID_HANDLE_VALUE;
}

// The URL in the entry at path, or "" when the file is not one.
std::string entryUrl(const std::wstring &path, const PortTrust &trust)
{
    const Handle file(CreateFileW(path.c_str(), GENERIC_READ | READ_CONTROL, kShareAll, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!file.valid() || GetFileType(file.get()) != FILE_TYPE_DISK ||
        !GetFileInformationByHandle(file.get(), &info) ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0 ||
        info.nFileSizeHigh != 0 || info.nFileSizeLow > kMaxEntryBytes) {
        return std::string();
    }
    const Security security = securityOf(file.get(), trust);
    if (!security.read || !security.ownerTrusted || security.othersWrite) {
        return std::string();
    }
    char text[kMaxEntryBytes + 1];
    DWORD length = 0;
    if (!ReadFile(file.get(), text, sizeof text, &length, nullptr) || length == 0) {
        return std::string();
    }
    return networkEntryUrl(std::string(text, length));
}

std::wstring entryPath(const std::string &dir, const std::string &name)
{
    return wide(dir) + L"\\" + wide(name);
}

bool sameLetters(const std::string &text, const char *upper)
{
    if (text.size() != std::strlen(upper)) {
        return false;
    }
    for (size_t i = 0; i < text.size(); ++i) {
        const char c =
            text[i] >= 'a' && text[i] <= 'z' ? static_cast<char>(text[i] - 'a' + 'A') : text[i];
        if (c != upper[i]) {
            return false;
        }
    }
    return true;
}

// CON, NUL, COM1, LPT3 and the like name devices in every folder, with any
// extension.
bool isDeviceName(const std::string &name)
{
    const std::string base = name.substr(0, name.find('.'));
    for (const char *reserved : kReservedNames) {
        if (sameLetters(base, reserved)) {
            return true;
        }
    }
    for (const char *prefix : kNumberedDevices) {
        if (base.size() == 4 && sameLetters(base.substr(0, 3), prefix) && base[3] >= '0' &&
            base[3] <= '9') {
            return true;
        }
    }
    return false;
}

} // namespace

const char *const kNotADirectoryWords = "is not a folder of its own (a link or a file)";
const char *const kOpenToOthersWords = "is open to other users (it must be private to you)";

std::wstring wide(const std::string &utf8)
{
    const int chars = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(),
                                          static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring text(static_cast<size_t>(chars > 0 ? chars : 0), L'\0');
    if (chars > 0) {
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &text[0],
                            chars);
    }
    return text;
}

bool privateAttributes(const PortTrust &trust, SECURITY_ATTRIBUTES *attributes)
{
    wchar_t sddl[kSddlChars];
    const std::wstring user = wide(trust.user);
    if (user.empty() || std::swprintf(sddl, kSddlChars, kPrivateDaclFormat, user.c_str()) < 0 ||
        !ConvertStringSecurityDescriptorToSecurityDescriptorW(
            sddl, SDDL_REVISION_1, &attributes->lpSecurityDescriptor, nullptr)) {
        return false;
    }
    attributes->nLength = sizeof *attributes;
    attributes->bInheritHandle = FALSE;
    return true;
}

std::string virtualPortDirectory()
{
    const std::string own = environment(kOwnDirVariable);
    if (!own.empty()) {
        return own;
    }
    const std::string local = environment(kLocalAppDataVariable);
    return local.empty() ? std::string() : local + kDefaultSubdir;
}

bool isEntryName(const std::string &name)
{
    if (name.empty() || name.front() == '.' || name.back() == '.' || name.back() == ' ') {
        return false;
    }
    for (char c : name) {
        if (c < kFirstNameChar || c > kLastNameChar || std::strchr(kReservedChars, c)) {
            return false;
        }
    }
    return !isDeviceName(name);
}

PortTrust::PortTrust() : user(processUser()) {}

PortDirStatus checkPortDirectory(const std::string &dir, const PortTrust &trust)
{
    PortDirStatus status = PortDirStatus::Missing;
    const Handle handle(openPortDirectory(dir, trust, &status));
    return status;
}

bool makePortDirectory(const std::string &dir, std::string &error, const PortTrust &trust)
{
    // No %LOCALAPPDATA% names no folder: it stays missing, and is said so.
    if (dir.empty()) {
        return true;
    }
    SECURITY_ATTRIBUTES attributes{};
    if (!privateAttributes(trust, &attributes)) {
        error = "cannot make port directory " + dir + " private: the user is not known";
        return false;
    }
    // Parents first, past the drive or share; each level this makes is
    // private like the leaf.
    const std::wstring path = wide(dir);
    for (size_t at = path.find_first_of(L"\\/", 3); at != std::wstring::npos;
         at = path.find_first_of(L"\\/", at + 1)) {
        CreateDirectoryW(path.substr(0, at).c_str(), &attributes);
    }
    const bool made =
        CreateDirectoryW(path.c_str(), &attributes) || GetLastError() == ERROR_ALREADY_EXISTS;
    const DWORD why = GetLastError();
    LocalFree(attributes.lpSecurityDescriptor);
    if (!made) {
        error = "cannot create port directory " + dir + " (error " + std::to_string(why) + ")";
        return false;
    }
    return true;
}

bool hasPortEntry(const std::string &dir, const std::string &name)
{
    return GetFileAttributesW(entryPath(dir, name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string portEntryPath(const std::string &dir, const std::string &name)
{
    return dir + "\\" + name;
}

PortEntry classifyPortEntry(const std::string &dir, const std::string &name, const PortTrust &trust)
{
    PortEntry entry;
    PortDirStatus status = PortDirStatus::Missing;
    if (!isEntryName(name)) {
        return entry;
    }
    const Handle held(openPortDirectory(dir, trust, &status));
    if (!held.valid()) {
        return entry;
    }
    entry.target = entryUrl(entryPath(dir, name), trust);
    if (!entry.target.empty()) {
        entry.kind = PortEntryKind::Network;
    }
    return entry;
}

std::vector<std::string> listPortEntries(const std::string &dir, const PortTrust &trust)
{
    std::vector<std::string> names;
    PortDirStatus status = PortDirStatus::Missing;
    const Handle held(openPortDirectory(dir, trust, &status));
    if (!held.valid()) {
        return names;
    }
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((wide(dir) + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return names;
    }
    do {
        const std::string name = narrow(found.cFileName);
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && isEntryName(name) &&
            !entryUrl(entryPath(dir, name), trust).empty()) {
            names.push_back(name);
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

} // namespace kivra
