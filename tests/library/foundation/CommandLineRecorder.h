// Records every acutPrintf call of the program separately (the editor's
// transcript joins them), and passes the text on to the editor as usual.
#pragma once

#include <string>
#include <vector>

namespace brevant::test {

// The texts of the acutPrintf calls since the last clear, one per call.
std::vector<std::string>& commandLineCalls();
// All of them joined: what the command line shows.
std::string commandLineText();

}  // namespace brevant::test
