#include "config.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSettings>

namespace {
constexpr char kConfigFile[] = "/config.ini";
constexpr char kLanguageGroup[] = "language";
constexpr char kLanguageKey[] = "language";
constexpr char kEnglish[] = "EN";
constexpr char kChinese[] = "CN";
} // namespace

namespace config {

QString configPath(const QString &appDir)
{
    return appDir + QLatin1String(kConfigFile);
}

Location locate(const QString &appDir, const QString &userDir)
{
    const QString besideProgram = configPath(appDir);
    if (userDir.isEmpty() || folderWritable(appDir)) {
        return {besideProgram, besideProgram};
    }
    const QString own = configPath(userDir);
    return {QFileInfo::exists(own) ? own : besideProgram, own};
}

Location locateForApplication()
{
    return locate(QCoreApplication::applicationDirPath(), userFolder());
}

QString configuredLanguage(QSettings &settings)
{
    settings.beginGroup(QLatin1String(kLanguageGroup));
    const QString language = settings.value(QLatin1String(kLanguageKey)).toString();
    settings.endGroup();
    return language;
}

bool wantsEnglish(const QString &language)
{
    return language == QLatin1String(kEnglish);
}

void setLanguage(QSettings &settings, bool english)
{
    settings.beginGroup(QLatin1String(kLanguageGroup));
    settings.setValue(QLatin1String(kLanguageKey), QLatin1String(english ? kEnglish : kChinese));
    settings.endGroup();
}

void restoreLanguage(QSettings &settings, const QString &previous)
{
    settings.beginGroup(QLatin1String(kLanguageGroup));
    if (previous.isEmpty()) {
        settings.remove(QLatin1String(kLanguageKey));
    } else {
        settings.setValue(QLatin1String(kLanguageKey), previous);
    }
    settings.endGroup();
}

} // namespace config
