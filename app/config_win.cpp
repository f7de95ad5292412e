// Where Trova keeps a user's config.ini on Windows: %APPDATA%\\Trova, the
// roaming application data that follows the user from machine to machine.
#include "config.h"

#include <QDir>
#include <QUuid>

#include <windows.h>

#include <knownfolders.h>
#include <shlobj.h>

namespace {
// A fixed folder name rather than the toolkit's application name, which
// follows the name the program was started by.
constexpr char kUserFolder[] = "/Trova";
} // namespace

namespace config {

QString userFolder()
{
    PWSTR path = nullptr;
    QString base;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_RoamingAppData, KF_FLAG_DEFAULT, nullptr, &path))) {
        base = QDir::fromNativeSeparators(QString::fromWCharArray(path));
    }
    CoTaskMemFree(path);
    return base.isEmpty() ? QString() : base + QLatin1String(kUserFolder);
}

bool folderWritable(const QString &dir)
{
    // Only creating a file tells: folder permissions are access lists, which
    // the read-only attribute (ignored on folders) and the toolkit's file
    // information do not show, and Program Files refuses ordinary users.
    const QString probe = QDir::toNativeSeparators(dir + QStringLiteral("/.trova-write-probe-") +
                                                   QUuid::createUuid().toString(QUuid::Id128));
    const HANDLE file =
        CreateFileW(reinterpret_cast<const wchar_t *>(probe.utf16()), GENERIC_WRITE, 0, nullptr,
                    CREATE_NEW, FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    CloseHandle(file);
    return true;
}

} // namespace config
