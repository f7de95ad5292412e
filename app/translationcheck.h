// Whether a translation file is the one this build compiled. The toolkit's
// reader follows offsets in the file without checking them, so a damaged file
// (two changed bytes are enough) crashes the program at every start; only an
// exact match is handed to it.
#ifndef TROVA_TRANSLATIONCHECK_H
#define TROVA_TRANSLATIONCHECK_H

#include <QByteArray>

namespace startup {

// SHA-256 of trans_en_US.qm as built, in lower-case hex (generated).
extern const char kBuiltTranslationDigest[];

// Largest file worth reading: the real one is a few kilobytes.
constexpr qint64 kMaxTranslationBytes = 4 * 1024 * 1024;

bool translationIntact(const QByteArray &contents);

} // namespace startup

#endif
