// The editor's command line as the library's tests see it: what the library
// printed since the last look, and the form of its trace lines.
#pragma once

#include <string>

namespace brevant::test {

// The command-line text printed since the last call, and forget it.
std::string takeCommandLine();

// The trace line that the library prints at debug level 2 without a debugger.
std::string traceLine(const std::string& sText);

// Puts the library in the state the module gives it: application name
// "Brevant" and the debug level (2 shows trace lines on the command line).
// The editor's own output to the terminal is turned off; its transcript
// keeps everything.
void initialiseLibrary(int iDebugLevel);

}  // namespace brevant::test
