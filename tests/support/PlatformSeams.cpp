#include "PlatformSeams.h"

#include "brevant/platform.h"
#include "brevant/text.h"

#include <gtest/gtest.h>

namespace brevant::test {

void disarmFaults() {
    for (brevant::platform::Operation operation : brevant::platform::kEveryOperation) {
        brevant::platform::failAfter(operation, 0);
    }
    brevant::platform::countRegistryFileCalls(false);
}

void fixClock(const std::string& localTime) {
    time_t time = 0;
    if (!brevant::text::parseLocalTime(localTime, time)) {
        ADD_FAILURE() << "\"" << localTime << "\" is not a local time that exists";
        return;
    }
    brevant::platform::setClock(time);
}

}  // namespace brevant::test
