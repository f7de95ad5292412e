// The port directory on Windows: a private folder of files holding URLs.
// Played against a folder others may read, another user, entries others may
// write, a folder for an entry, a device name, a publisher's entry that goes
// as its handle closes; then the port list: the registry's map (a key of the
// test's own) followed by the folder's entries, with the map and without.
#include "kivra_portdir.h"
#include "kivra_portname.h"
#include "scratch_win.h"
#include "serial/portlist_win.h"

#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace kivra;

namespace {

constexpr const char *kUrl = "socket://127.0.0.1:7000";
constexpr const wchar_t *kTestMapKey = L"Software\\KivraTest\\SERIALCOMM";
constexpr int kListBytes = 256;

std::wstring wide(const std::string &text)
{
    return std::wstring(text.begin(), text.end());
}

// Gives everyone full control of path, as a folder or file made outside a
// private folder may: set after creation, which no umask narrows.
bool openToEveryone(const std::string &path)
{
    const std::wstring sddl = L"D:(A;OICI;FA;;;WD)";
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    BOOL present = FALSE;
    BOOL defaulted = FALSE;
    PACL dacl = nullptr;
    const bool ok = ConvertStringSecurityDescriptorToSecurityDescriptorW(
                        sddl.c_str(), SDDL_REVISION_1, &descriptor, nullptr) &&
                    GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted) &&
                    SetNamedSecurityInfoW(&wide(path)[0], SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                          nullptr, nullptr, dacl, nullptr) == ERROR_SUCCESS;
    LocalFree(descriptor);
    return ok;
}

HANDLE createFile(const std::string &path, DWORD flags = 0, DWORD share = 0)
{
    return CreateFileW(wide(path).c_str(), GENERIC_WRITE | DELETE, share, nullptr, CREATE_NEW,
                       FILE_ATTRIBUTE_NORMAL | flags, nullptr);
}

bool writeEntry(const std::string &path, const std::string &text)
{
    const HANDLE file = createFile(path);
    DWORD written = 0;
    const bool ok = file != INVALID_HANDLE_VALUE &&
                    WriteFile(file, text.data(), DWORD(text.size()), &written, nullptr) &&
                    written == text.size();
    CloseHandle(file);
    return ok;
}

// A private folder below the user's temporary folder, removed with all it holds.
class ScratchDir
{
public:
    ScratchDir() : path_(scratch::tempPath("kivra-portdir-"))
    {
        std::string error;
        ok_ = preparePortDirectory(path_, error);
    }
    ~ScratchDir() { scratch::removeAll(wide(path_)); }
    bool ok() const { return ok_; }
    const std::string &str() const { return path_; }
    std::string entry(const std::string &name) const { return path_ + "\\" + name; }

private:
    std::string path_;
    bool ok_ = false;
};

PortTrust anotherUser()
{
    PortTrust trust;
    trust.user = "S-1-5-21-1-2-3-1001";
    return trust;
}

TEST(PortDirectoryWin, OnlyAPrivateFolderOfOurOwnIsUsed)
{
    ScratchDir scratch;
    ASSERT_TRUE(scratch.ok());
    ASSERT_TRUE(writeEntry(scratch.entry("LAB3"), kUrl));
    EXPECT_EQ(checkPortDirectory(scratch.str()), PortDirStatus::Usable);
    EXPECT_EQ(listPortEntries(scratch.str()), std::vector<std::string>{"LAB3"});
    EXPECT_EQ(checkPortDirectory(scratch.str(), anotherUser()), PortDirStatus::NotOwned);
    EXPECT_TRUE(listPortEntries(scratch.str(), anotherUser()).empty());

    const std::string open = scratch.entry("open");
    ASSERT_TRUE(CreateDirectoryW(wide(open).c_str(), nullptr));
    ASSERT_TRUE(openToEveryone(open));
    ASSERT_TRUE(writeEntry(open + "\\LAB3", kUrl));
    EXPECT_EQ(checkPortDirectory(open), PortDirStatus::OpenToOthers);
    EXPECT_TRUE(listPortEntries(open).empty());
    std::string error;
    EXPECT_FALSE(preparePortDirectory(open, error));
    EXPECT_NE(error.find("open to other users"), std::string::npos) << error;

    EXPECT_EQ(checkPortDirectory(scratch.entry("LAB3")), PortDirStatus::NotADirectory);
    EXPECT_EQ(checkPortDirectory(scratch.entry("absent")), PortDirStatus::Missing);
    // A missing one is made, private, with its missing parents.
    ASSERT_TRUE(preparePortDirectory(scratch.entry("a\\b"), error)) << error;
    EXPECT_EQ(checkPortDirectory(scratch.entry("a")), PortDirStatus::Usable);
}

TEST(PortEntriesWin, OnlyAFileOfOursThatOthersCannotWriteCounts)
{
    ScratchDir scratch;
    ASSERT_TRUE(scratch.ok());
    ASSERT_TRUE(writeEntry(scratch.entry("LAB3"), std::string(kUrl) + "\r\n"));
    ASSERT_TRUE(writeEntry(scratch.entry("SHARED"), kUrl));
    ASSERT_TRUE(openToEveryone(scratch.entry("SHARED")));
    ASSERT_TRUE(writeEntry(scratch.entry("NOTES"), "not a port\n"));
    ASSERT_TRUE(CreateDirectoryW(wide(scratch.entry("FOLDER")).c_str(), nullptr));

    const PortEntry entry = classifyPortEntry(scratch.str(), "LAB3");
    EXPECT_EQ(entry.kind, PortEntryKind::Network);
    EXPECT_EQ(entry.target, kUrl);
    EXPECT_EQ(listPortEntries(scratch.str()), std::vector<std::string>{"LAB3"});
    for (const char *name : {"SHARED", "NOTES", "FOLDER", "ABSENT"}) {
        EXPECT_EQ(classifyPortEntry(scratch.str(), name).kind, PortEntryKind::None) << name;
    }
    // Names of devices, found in every folder, and aliases of other names.
    for (const char *name : {"COM1", "com9.txt", "NUL", "LAB3.", "LAB3 ", "a:b", "a\\b"}) {
        EXPECT_FALSE(isEntryName(name)) << name;
    }
    EXPECT_TRUE(isEntryName("COM10"));
}

TEST(PortEntriesWin, APublishersEntryGoesWhenItsHandleCloses)
{
    ScratchDir scratch;
    ASSERT_TRUE(scratch.ok());
    const HANDLE held =
        createFile(scratch.entry("SIM1"), FILE_FLAG_DELETE_ON_CLOSE, FILE_SHARE_READ);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const std::string text = networkEntryText(kUrl);
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(held, text.data(), DWORD(text.size()), &written, nullptr));
    EXPECT_EQ(classifyPortEntry(scratch.str(), "SIM1").target, kUrl);
    CloseHandle(held);
    EXPECT_FALSE(hasPortEntry(scratch.str(), "SIM1"));
    EXPECT_TRUE(listPortEntries(scratch.str()).empty());
}

class PortDirEnv : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(scratch.ok());
        SetEnvironmentVariableW(L"KIVRA_PORT_DIR", wide(scratch.str()).c_str());
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\KivraTest");
    }
    void TearDown() override
    {
        SetEnvironmentVariableW(L"KIVRA_PORT_DIR", nullptr);
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\KivraTest");
    }
    void mapPorts(const std::vector<std::wstring> &names)
    {
        HKEY key;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kTestMapKey, 0, nullptr, 0, KEY_WRITE, nullptr,
                                  &key, nullptr),
                  ERROR_SUCCESS);
        int n = 0;
        for (const std::wstring &name : names) {
            const std::wstring value = L"\\Device\\Serial" + std::to_wstring(n++);
            RegSetValueExW(key, value.c_str(), 0, REG_SZ,
                           reinterpret_cast<const BYTE *>(name.c_str()),
                           DWORD((name.size() + 1) * sizeof(wchar_t)));
        }
        RegCloseKey(key);
    }
    std::string list(int size, int *count)
    {
        std::vector<char> buffer(size_t(size) + 1, '#');
        *count =
            enumeratePortsFrom(HKEY_CURRENT_USER, kTestMapKey, scratch.str(), buffer.data(), size);
        return buffer.data();
    }
    ScratchDir scratch;
};

TEST_F(PortDirEnv, NamesResolveToTheirEntriesOrToDevices)
{
    ASSERT_TRUE(writeEntry(scratch.entry("LAB3"), networkEntryText(kUrl)));
    ASSERT_TRUE(writeEntry(scratch.entry("BAD"), "http://x:1\n"));
    const PortTarget lab = resolvePortName("LAB3");
    EXPECT_EQ(lab.kind, PortKind::Network);
    EXPECT_EQ(lab.path, kUrl);
    EXPECT_EQ(lab.published, scratch.entry("LAB3"));
    EXPECT_EQ(resolvePortName("lab3").path, kUrl) << "file names ignore case";
    const PortTarget bad = resolvePortName("BAD");
    EXPECT_EQ(bad.kind, PortKind::None);
    EXPECT_EQ(bad.published, scratch.entry("BAD"));
    for (const char *name : {"COM3", "COM10"}) {
        EXPECT_EQ(resolvePortName(name).kind, PortKind::Device) << name;
        EXPECT_EQ(resolvePortName(name).path, std::string("\\\\.\\") + name) << name;
    }
}

TEST_F(PortDirEnv, RegistryPortsThenEntriesUnderOneSizeRule)
{
    int count = 0;
    EXPECT_EQ(list(kListBytes, &count), "");
    EXPECT_EQ(count, -1) << "no map and no entries";
    ASSERT_TRUE(writeEntry(scratch.entry("SIM10"), networkEntryText(kUrl)));
    ASSERT_TRUE(writeEntry(scratch.entry("SIM2"), networkEntryText(kUrl)));
    EXPECT_EQ(list(kListBytes, &count), "SIM2,SIM10");
    EXPECT_EQ(count, 2) << "no map: the entries alone";

    mapPorts({L"COM3", L"COM1"});
    EXPECT_EQ(list(kListBytes, &count), "COM3,COM1,SIM2,SIM10");
    EXPECT_EQ(count, 4);
    // SIM10 with its separator and the terminator would need 22 bytes.
    EXPECT_EQ(list(21, &count), "COM3,COM1,SIM2");
    EXPECT_EQ(count, 3);
    EXPECT_EQ(list(5, &count), "");
    EXPECT_EQ(count, 0);
}

} // namespace
