#include "app/WindowsConsole.h"

#include <QtGlobal>

#ifdef Q_OS_WIN
#include <cstdio>
#include <windows.h>

namespace {

// A handle that leads nowhere: none given, or one a windowed program cannot use.
bool unusable(DWORD which)
{
    const HANDLE handle = GetStdHandle(which);
    return handle == nullptr || handle == INVALID_HANDLE_VALUE || GetFileType(handle) == FILE_TYPE_UNKNOWN;
}

}   // namespace

void attachParentConsole()
{
    const bool out = unusable(STD_OUTPUT_HANDLE);
    const bool err = unusable(STD_ERROR_HANDLE);
    if (!out && !err)
        return;
    if (!AttachConsole(ATTACH_PARENT_PROCESS))
        return;
    if (out)
        std::freopen("CONOUT$", "w", stdout);
    if (err)
        std::freopen("CONOUT$", "w", stderr);
}
#else
void attachParentConsole() {}
#endif
