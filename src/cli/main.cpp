#include "device_system.h"
#include "option_parser.h"
#include "run_ambertap.h"

int main(int argumentCount, char* argumentVector[]) {
    const auto system = ambertap::makePlatformDeviceSystem();
    return ambertap::runAmbertap(argumentCount, argumentVector, ambertap::optionParser, *system,
                                 stdout, stderr);
}
