#include "line.h"

#include "pty.h"

namespace kivrasim {

std::unique_ptr<Line> openHostLine(const std::string &listen, std::string &error)
{
    return listen.empty() ? openPtyLine(error) : openTcpLine(listen, error);
}

} // namespace kivrasim
