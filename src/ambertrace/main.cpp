#include "device_system.h"
#include "run_ambertrace.h"

#ifdef _WIN32
#include "utf8_arguments.h"
#endif

namespace {

int run(int argumentCount, const char* const* argumentVector) {
    const auto system = ambertap::makePlatformDeviceSystem();
    return ambertap::runAmbertrace(argumentCount, argumentVector, *system, ambertap::Streams{});
}

}  // namespace

#ifdef _WIN32
int wmain(int argumentCount, wchar_t* argumentVector[]) {
    const ambertap::Utf8Arguments arguments(argumentCount, argumentVector);
    return run(arguments.count(), arguments.vector());
}
#else
int main(int argumentCount, char* argumentVector[]) {
    return run(argumentCount, argumentVector);
}
#endif
