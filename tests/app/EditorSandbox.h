// The editor as the module's tests run it: the registry and runtime folders in
// the test's folder, fixed user and computer names, drive C: a folder of the
// test, the installation's registry values written, no console output and
// every message box captured; and the clean-up that leaves nothing armed.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "PlatformSeams.h"
#include "TempDir.h"
#include "brevant/editor.h"
#include "brevant/platform.h"

namespace brevant::test {

inline void enterEditorSandbox(const TempDir& dir,
                               std::vector<brevant::platform::MessageBoxCall>* pBoxes) {
    setenv("BREVANT_REGISTRY_DIR", dir.file("registry").c_str(), 1);
    setenv("BREVANT_RUNTIME_DIR", dir.file("runtime").c_str(), 1);
    setenv("BREVANT_USER_NAME", "jsmith", 1);
    setenv("BREVANT_COMPUTER_NAME", "PC042", 1);
    unsetenv("BREVANT_LISPDISPATCH");
    std::filesystem::create_directories(dir.file("C/Jobs/A100"));
    brevant::platform::clearDriveMap();
    brevant::platform::mapDrive("C", dir.file("C"));
    std::string sError;
    ASSERT_TRUE(brevant::host::writeInstallationDefaults(sError)) << sError;
    brevant::host::setConsoleOutput(false);
    brevant::platform::captureMessageBoxes(pBoxes);
}

// Faults are disarmed first, so that closing the session's drawings cannot
// meet one.
inline void leaveEditorSandbox() {
    disarmFaults();
    brevant::host::quit();
    brevant::host::restartSession();
    brevant::platform::captureMessageBoxes(nullptr);
    brevant::platform::setClock(0);
    brevant::platform::clearDriveMap();
}

}  // namespace brevant::test
