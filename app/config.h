// config.ini beside the program: one section "language" with one key
// "language", "EN" for English and "CN" (or anything else) for Chinese.
// Start-up reads it; the settings dialog reads it and writes it.
#ifndef TROVA_CONFIG_H
#define TROVA_CONFIG_H

#include <QString>

class QSettings;

namespace config {

// The file's path in the program's directory appDir.
QString configPath(const QString &appDir);
// The stored language value, or an empty text when there is none.
QString configuredLanguage(QSettings &settings);
// True when the stored value asks for English ("EN", exactly).
bool wantsEnglish(const QString &language);
// Sets the stored value to "EN" or "CN" (not yet synced to the file).
void setLanguage(QSettings &settings, bool english);
// Puts back a value read earlier with configuredLanguage() (empty: none).
void restoreLanguage(QSettings &settings, const QString &previous);

} // namespace config

#endif
