// The platform's seams as tests use them: the fault countdowns and the clock.
#pragma once

#include <string>

namespace brevant::test {

// Disarms the countdown of every operation of the fault seam, and counts a
// registry write as a RegistryWrite only again.
void disarmFaults();

// Fixes the clock at a local time "YYYY-MM-DD HH:MM[:SS]"; a text that is no
// such time fails the test that asked for it.
void fixClock(const std::string& localTime);

}  // namespace brevant::test
