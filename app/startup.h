#ifndef TROVA_STARTUP_H
#define TROVA_STARTUP_H

#include <QString>
#include <QStringList>

class QTranslator;
class ZentoWidget;

// The start-up steps of Trova, apart from main() so that they can be run on a
// directory of one's choosing. Every file is looked up in the program's own
// directory; a missing or broken file leaves the built-in default in place.
namespace startup {

// Lets the window follow the display's scaling (150 %, 200 %, ...): every
// widget, font and image scaled by the screen's own factor, 1.5 at 144 DPI
// rather than rounded to 2. Called before the application object exists.
void configureDisplayScaling();

// Loads trans_en_US.qm from appDir into the translator and installs it in the
// application, whether or not the load worked (an empty translator changes
// nothing). A file that is not byte for byte the one this build compiled is
// treated as missing. Returns whether the file was loaded.
bool installEnglish(QTranslator &translator, const QString &appDir);

// Makes the first family of font.ttf in appDir, at 16 pixels, the
// application font. Returns false, changing nothing, when no family loads.
bool installFont(const QString &appDir);

// True when the first argument after the program name is exactly "-debug".
bool debugRequested(const QStringList &arguments);

// Shows the window, with its debug button only when debugRequested().
void showMainWindow(ZentoWidget &window, const QStringList &arguments);

} // namespace startup

#endif
