// The language choice kept in config.ini (beside the program, or in the
// user's configuration when the program's folder is read-only: config.h),
// and the prompt that confirms a switch.
#ifndef LANGUAGECONFIG_H
#define LANGUAGECONFIG_H

enum Language
{
    LanguageChinese = 1,
    LanguageEnglish = 2
};

// The language config.ini asks for: English only for the exact value "EN".
Language readConfiguredLanguage();

// Stores the language in config.ini and returns whether the file was written.
bool storeLanguage(Language language);

// Asks, in the language being chosen, whether to switch and quit. True for OK.
bool confirmLanguageSwitch(Language language);

#endif
