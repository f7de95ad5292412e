#include "languageconfig.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>

namespace {

const char kConfigFileSuffix[] = "/config.ini";
const char kLanguageGroup[] = "language";
const char kLanguageKey[] = "language";
const char kEnglishValue[] = "EN";
const char kChineseValue[] = "CN";

QString configFilePath()
{
    return QCoreApplication::applicationDirPath() + QLatin1String(kConfigFileSuffix);
}

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
    QSettings settings(configFilePath(), QSettings::IniFormat);
    settings.beginGroup(QLatin1String(kLanguageGroup));
    const QString value = settings.value(QLatin1String(kLanguageKey)).toString();
    settings.endGroup();
    return value == QLatin1String(kEnglishValue) ? LanguageEnglish : LanguageChinese;
}

bool storeLanguage(Language language)
{
    QSettings settings(configFilePath(), QSettings::IniFormat);
    settings.beginGroup(QLatin1String(kLanguageGroup));
    const QVariant previous = settings.value(QLatin1String(kLanguageKey));
    settings.setValue(QLatin1String(kLanguageKey),
                      QLatin1String(language == LanguageEnglish ? kEnglishValue : kChineseValue));
    settings.sync();
    // Only AccessError means the file was not written; a FormatError merely
    // says the old contents could not be parsed, and they are replaced anyway.
    const bool written = settings.status() != QSettings::AccessError;
    if (!written) {
        // The toolkit keeps unwritten changes in a per-process cache that
        // later readers of the file would see; take this one back.
        if (previous.isValid())
            settings.setValue(QLatin1String(kLanguageKey), previous);
        else
            settings.remove(QLatin1String(kLanguageKey));
    }
    settings.endGroup();
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
