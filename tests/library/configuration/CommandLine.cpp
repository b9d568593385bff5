#include "CommandLine.h"

#include <brevant/editor.h>

#include "Maintenance.h"
#include "Messages.h"

namespace brevant::test {

std::string takeCommandLine() {
    const std::string sText = brevant::host::transcript();
    brevant::host::clearTranscript();
    return sText;
}

std::string traceLine(const std::string& sText) {
    return "Brevant (high) : " + std::string(Pellam::Messages::withSingleNewline(sText.c_str()));
}

void initialiseLibrary(int iDebugLevel) {
    brevant::host::setConsoleOutput(false);
    if (!G_bLibraryInitialised) {
        Pellam::initialiseLibrary("Brevant", NULL);
    }
    int iPrevious = 0;
    Pellam::Messages::setDebugLevel(iDebugLevel, iPrevious);
    takeCommandLine();
}

}  // namespace brevant::test
