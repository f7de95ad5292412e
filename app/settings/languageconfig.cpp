#include "languageconfig.h"

#include "config.h"

#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>

namespace {

// Each prompt speaks the language it offers, so its texts are fixed rather
// than translated.
struct Prompt
{
    const char *text;
    const char *informativeText;
    const char *okText;     // nullptr: the toolkit's own text
    const char *cancelText; // nullptr: the toolkit's own text
};

const Prompt kChinesePrompt = {"切换语言", "切换语言需要重启软件生效，您确定要退出吗?", "确定",
                               "取消"};
const Prompt kEnglishPrompt = {"Change Language",
                               "Switching languages requires restarting software to take effect. "
                               "Are you sure you want to quit?",
                               nullptr, nullptr};

} // namespace

Language readConfiguredLanguage()
{
    QSettings settings(config::locateForApplication().readPath, QSettings::IniFormat);
    return config::wantsEnglish(config::configuredLanguage(settings)) ? LanguageEnglish
                                                                      : LanguageChinese;
}

bool storeLanguage(Language language)
{
    const QString path = config::locateForApplication().writePath;
    // The user's configuration folder may not exist yet.
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        return false;
    }
    QSettings settings(path, QSettings::IniFormat);
    const QString previous = config::configuredLanguage(settings);
    config::setLanguage(settings, language == LanguageEnglish);
    settings.sync();
    // Only AccessError means the file was not written; a FormatError merely
    // says the old contents could not be parsed, and they are replaced anyway.
    const bool written = settings.status() != QSettings::AccessError;
    if (!written) {
        // The toolkit keeps unwritten changes in a per-process cache that
        // later readers of the file would see; take this one back.
        config::restoreLanguage(settings, previous);
    }
    return written;
}

bool confirmLanguageSwitch(Language language)
{
    const Prompt &prompt = language == LanguageEnglish ? kEnglishPrompt : kChinesePrompt;
    QMessageBox box;
    box.setIcon(QMessageBox::Question);
    box.setText(QString::fromUtf8(prompt.text));
    box.setInformativeText(QString::fromUtf8(prompt.informativeText));
    box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
    box.setDefaultButton(QMessageBox::Ok);
    if (prompt.okText)
        box.button(QMessageBox::Ok)->setText(QString::fromUtf8(prompt.okText));
    if (prompt.cancelText)
        box.button(QMessageBox::Cancel)->setText(QString::fromUtf8(prompt.cancelText));
    // Escape and the window's close control both count as Cancel.
    return box.exec() == QMessageBox::Ok;
}
