#include "debuglog.h"

#include <QDebug>

namespace kivra {

void debugLine(const char *utf8)
{
    // Passed through "%s" so the text reaches the message handler exactly as
    // given, neither quoted nor spaced.
    qDebug("%s", utf8);
}

} // namespace kivra
