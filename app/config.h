// config.ini: one section "language" with one key "language", "EN" for
// English and "CN" (or anything else) for Chinese. Start-up reads it; the
// settings dialog reads it and writes it.
//
// Where it is kept: beside the program when the program's folder can be
// written (a portable copy), and then only there. In an installed program's
// read-only folder the choice goes to the user's own config.ini instead (the
// folder Trova in the user's configuration folder: ~/.config/Trova on Linux,
// %APPDATA%\Trova on Windows), and reading takes that file when it exists,
// else the one beside the program, which an administrator may leave as
// everyone's default.
#ifndef TROVA_CONFIG_H
#define TROVA_CONFIG_H

#include <QString>

class QSettings;

namespace config {

// The file's path in the program's directory appDir.
QString configPath(const QString &appDir);

struct Location
{
    QString readPath;  // the file start-up and the dialog read
    QString writePath; // the file a language switch writes
};
// Where config.ini is read and written, for the program's directory appDir
// and the user's configuration folder userDir (see above).
Location locate(const QString &appDir, const QString &userDir);
// locate() for this program: its own directory and userFolder().
Location locateForApplication();

// Supplied by each platform's file (config_posix.cpp, config_win.cpp):
// The user's own folder for Trova's configuration; empty when there is none.
QString userFolder();
// Whether this user can create files in dir.
bool folderWritable(const QString &dir);

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
