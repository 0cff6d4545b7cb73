// Calls a function that Windows XP lacks (GetTickCount64, from Vista on):
// with the build's flags the headers must not declare it.
#include <windows.h>

unsigned long long ticksSinceStart() {
    return GetTickCount64();
}
