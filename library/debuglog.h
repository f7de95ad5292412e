// The library's one diagnostic channel. Lines go to Qt's debug output (default
// category) when the library is built with Qt, else to the platform's debug
// channel; the implementation file is picked by CMake.
#ifndef KIVRA_DEBUGLOG_H
#define KIVRA_DEBUGLOG_H

namespace kivra {

// Emits one line of UTF-8 text, without a trailing newline.
void debugLine(const char *utf8);

} // namespace kivra

#endif
