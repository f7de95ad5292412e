// WM_DEVICECHANGE decoding with hand-built broadcast records.
#include "devicechange_win.h"

#include <dbt.h>
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace {

const HWND kMainWindow = reinterpret_cast<HWND>(static_cast<uintptr_t>(0x1234));
const HWND kOtherWindow = reinterpret_cast<HWND>(static_cast<uintptr_t>(0x5678));
const HWND kNoWindow = nullptr; // a filter made for an object that is not a widget
constexpr DWORD kNoRecord = 0;
constexpr size_t kNameOffset = offsetof(DEV_BROADCAST_PORT_W, dbcp_name);

// A DEV_BROADCAST_PORT_W-shaped record of the given device type. The record's
// size covers nameChars characters of name (the terminator included when
// nameChars exceeds the name's length), as the system sizes its records.
class Record
{
public:
    Record(DWORD deviceType, const std::wstring &name, size_t nameChars)
        : words_((kNameOffset + (name.size() + 1) * sizeof(wchar_t)) / sizeof(DWORD) + 1)
    {
        auto *port = reinterpret_cast<DEV_BROADCAST_PORT_W *>(words_.data());
        port->dbcp_size = static_cast<DWORD>(kNameOffset + nameChars * sizeof(wchar_t));
        port->dbcp_devicetype = deviceType;
        port->dbcp_reserved = 0;
        name.copy(port->dbcp_name, name.size());
        port->dbcp_name[name.size()] = L'\0';
    }
    LPARAM lParam() { return reinterpret_cast<LPARAM>(words_.data()); }

private:
    std::vector<DWORD> words_; // DWORD elements keep the record aligned
};

struct Row
{
    const char *name;
    UINT message;
    WPARAM event;
    DWORD deviceType; // kNoRecord: lParam is 0
    const wchar_t *portName;
    size_t nameChars; // the record's name capacity; 0: the name and its terminator
    HWND to;          // the message's window
    HWND watched;     // the filter's main window
    trova::PortChangeKind kind;
    const wchar_t *removedName;
};

void PrintTo(const Row &row, std::ostream *out)
{
    *out << row.name;
}

class DeviceChange : public testing::TestWithParam<Row>
{
};

TEST_P(DeviceChange, Decodes)
{
    const Row &row = GetParam();
    const std::wstring portName = row.portName;
    Record record(row.deviceType, portName, row.nameChars ? row.nameChars : portName.size() + 1);
    MSG message{};
    message.hwnd = row.to;
    message.message = row.message;
    message.wParam = row.event;
    message.lParam = row.deviceType == kNoRecord ? 0 : record.lParam();

    const trova::PortChange change = trova::decodeDeviceChange(&message, row.watched);
    EXPECT_EQ(change.kind, row.kind);
    EXPECT_EQ(change.name, std::wstring(row.removedName));
}

using Kind = trova::PortChangeKind;
constexpr UINT kChange = WM_DEVICECHANGE;
constexpr DWORD kPort = DBT_DEVTYP_PORT;

INSTANTIATE_TEST_SUITE_P(
    Rows, DeviceChange,
    testing::Values(Row{"portArrives", kChange, DBT_DEVICEARRIVAL, kPort, L"COM3", 0, kMainWindow,
                        kMainWindow, Kind::Arrived, L""},
                    Row{"portRemoved", kChange, DBT_DEVICEREMOVECOMPLETE, kPort, L"COM3", 0,
                        kMainWindow, kMainWindow, Kind::Removed, L"COM3"},
                    Row{"longNameRemoved", kChange, DBT_DEVICEREMOVECOMPLETE, kPort, L"COM10", 0,
                        kMainWindow, kMainWindow, Kind::Removed, L"COM10"},
                    Row{"nameEndsWithTheRecord", kChange, DBT_DEVICEREMOVECOMPLETE, kPort, L"COM12",
                        4, kMainWindow, kMainWindow, Kind::Removed, L"COM1"},
                    Row{"interfaceArrives", kChange, DBT_DEVICEARRIVAL, DBT_DEVTYP_DEVICEINTERFACE,
                        L"COM3", 0, kMainWindow, kMainWindow, Kind::None, L""},
                    Row{"volumeRemoved", kChange, DBT_DEVICEREMOVECOMPLETE, DBT_DEVTYP_VOLUME,
                        L"COM3", 0, kMainWindow, kMainWindow, Kind::None, L""},
                    Row{"queryRemove", kChange, DBT_DEVICEQUERYREMOVE, kPort, L"COM3", 0,
                        kMainWindow, kMainWindow, Kind::None, L""},
                    Row{"removePending", kChange, DBT_DEVICEREMOVEPENDING, kPort, L"COM3", 0,
                        kMainWindow, kMainWindow, Kind::None, L""},
                    Row{"devNodesChanged", kChange, DBT_DEVNODES_CHANGED, kNoRecord, L"", 0,
                        kMainWindow, kMainWindow, Kind::None, L""},
                    Row{"configChanged", kChange, DBT_CONFIGCHANGED, kNoRecord, L"", 0, kMainWindow,
                        kMainWindow, Kind::None, L""},
                    Row{"arrivalWithoutRecord", kChange, DBT_DEVICEARRIVAL, kNoRecord, L"", 0,
                        kMainWindow, kMainWindow, Kind::None, L""},
                    Row{"anotherWindow", kChange, DBT_DEVICEARRIVAL, kPort, L"COM3", 0,
                        kOtherWindow, kMainWindow, Kind::None, L""},
                    Row{"removalAtAnotherWindow", kChange, DBT_DEVICEREMOVECOMPLETE, kPort, L"COM3",
                        0, kOtherWindow, kMainWindow, Kind::None, L""},
                    Row{"noWatchedWindow", kChange, DBT_DEVICEARRIVAL, kPort, L"COM3", 0,
                        kMainWindow, kNoWindow, Kind::None, L""},
                    Row{"otherMessage", WM_PAINT, DBT_DEVICEARRIVAL, kPort, L"COM3", 0, kMainWindow,
                        kMainWindow, Kind::None, L""}),
    [](const testing::TestParamInfo<Row> &info) { return info.param.name; });

TEST(DeviceChangeMessage, AbsentMessageDecodesToNothing)
{
    EXPECT_EQ(trova::decodeDeviceChange(nullptr, kMainWindow).kind, trova::PortChangeKind::None);
}

} // namespace
