#include "pending.h"

#include "handles.h"

#include <windows.h>

namespace kivra {

int pendingInput(int handle)
{
    intptr_t native = 0;
    COMSTAT status = {};
    DWORD errors = 0;
    if (!findHandle(handle, &native) ||
        !ClearCommError(reinterpret_cast<HANDLE>(native), &errors, &status)) {
        return -1;
    }
    return static_cast<int>(status.cbInQue);
}

} // namespace kivra
