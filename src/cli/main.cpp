#include "device_system.h"
#include "option_parser.h"
#include "run_ambertap.h"

#ifdef _WIN32
#include "ascii_arguments.h"
#endif

namespace {

int run(int argumentCount, const char* const* argumentVector) {
    const auto system = ambertap::makePlatformDeviceSystem();
    return ambertap::runAmbertap(argumentCount, argumentVector, ambertap::optionParser, *system,
                                 stdout, stderr);
}

}  // namespace

#ifdef _WIN32
// The Unicode command line, so that no letter that only looks like an option
// letter is taken for one.
int wmain(int argumentCount, wchar_t* argumentVector[]) {
    const ambertap::AsciiArguments arguments(argumentCount, argumentVector);
    return run(arguments.count(), arguments.vector());
}
#else
int main(int argumentCount, char* argumentVector[]) {
    return run(argumentCount, argumentVector);
}
#endif
