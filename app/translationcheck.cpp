#include "translationcheck.h"

#include <QCryptographicHash>

namespace startup {

bool translationIntact(const QByteArray &contents)
{
    return QCryptographicHash::hash(contents, QCryptographicHash::Sha256).toHex() ==
           QByteArray(kBuiltTranslationDigest);
}

} // namespace startup
