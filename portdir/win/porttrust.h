// Who the Windows port directory trusts (kivra_portdir.h): the user, and the
// system and the administrators, who can take any file anyway. The default
// user is the process's own; tests put in another to play someone else.
#ifndef KIVRA_PORTTRUST_H
#define KIVRA_PORTTRUST_H

#include <string>

namespace kivra {

struct PortTrust
{
    PortTrust();
    std::string user; // the user's SID as text (S-1-5-21-...); "" when it cannot be read
};

} // namespace kivra

#endif
