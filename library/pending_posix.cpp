#include "pending.h"

#include "handles.h"

#include <sys/ioctl.h>

namespace kivra {

int pendingInput(int handle)
{
    intptr_t native = -1;
    int count = 0;
    if (!findHandle(handle, &native) || ::ioctl(static_cast<int>(native), FIONREAD, &count) != 0) {
        return -1;
    }
    return count;
}

} // namespace kivra
