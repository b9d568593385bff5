// The drawing editors that run on this computer now, with the time each one
// started: the processes of the editor program, and any process that has the
// module file loaded. A lock that such an editor may hold is never removed.
#pragma once

#include <ctime>
#include <string>
#include <vector>

namespace brevant::tools {

struct RunningEditor {
    int iProcess = 0;
    time_t started = 0;  // seconds since 1970
    std::string sProgram;
};

// Read from the system's process table (/proc); empty when it cannot be read.
std::vector<RunningEditor> runningEditors();

// Whether an editor that runs now may hold a lock written at lockedAt (a
// time to the minute): it may when it started before that minute ended.
bool mayHoldLock(const std::vector<RunningEditor>& vectorEditors, time_t lockedAt, int& iProcess);

}  // namespace brevant::tools
