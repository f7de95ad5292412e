// Where Trova keeps a user's config.ini on Linux and other POSIX systems.
#include "config.h"

#include <QFileInfo>
#include <QStandardPaths>

namespace {
// A fixed folder name rather than the toolkit's application name, which
// follows the name the program was started by (trova, Trova, ...).
constexpr char kUserFolder[] = "/Trova";
} // namespace

namespace config {

QString userFolder()
{
    // $XDG_CONFIG_HOME, else ~/.config.
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return base.isEmpty() ? QString() : base + QLatin1String(kUserFolder);
}

bool folderWritable(const QString &dir)
{
    return QFileInfo(dir).isWritable();
}

} // namespace config
