#include "line.h"

namespace kivrasim {

namespace {
// Without pseudo-terminals, hosts on this machine reach the controller here.
constexpr const char *kDefaultListen = "127.0.0.1:0";
} // namespace

std::unique_ptr<Line> openHostLine(const std::string &listen, std::string &error)
{
    return openTcpLine(listen.empty() ? kDefaultListen : listen, error);
}

} // namespace kivrasim
