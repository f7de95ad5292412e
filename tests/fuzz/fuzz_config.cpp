// Reading config.ini: any file must give a language value, English only for
// exactly "EN", and the settings dialog's write and take-back must hold.
#include "config.h"

#include <QFile>
#include <QSettings>
#include <QString>

#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

QString gPath;

void fail()
{
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    gPath = QStringLiteral("/tmp/kivra-fuzz-config-%1.ini").arg(::getpid());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    {
        QFile file(gPath);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            fail();
        }
        file.write(reinterpret_cast<const char *>(data), qint64(size));
    }
    QSettings settings(gPath, QSettings::IniFormat);
    const QString language = config::configuredLanguage(settings);
    if (config::wantsEnglish(language) != (language == QLatin1String("EN"))) {
        fail();
    }
    const bool english = size > 0 && (data[0] & 1);
    config::setLanguage(settings, english);
    if (config::configuredLanguage(settings) != QLatin1String(english ? "EN" : "CN")) {
        fail();
    }
    config::restoreLanguage(settings, language);
    if (config::configuredLanguage(settings) != language) {
        fail();
    }
    return 0;
}
