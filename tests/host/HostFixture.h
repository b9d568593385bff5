// The fixture of the editor's tests: a quiet command line with an empty
// transcript, a temporary folder, and a fresh session afterwards.
#pragma once

#include "PlatformSeams.h"
#include "TempDir.h"
#include "brevant/editor.h"
#include "brevant/platform.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace brevant::test {

class HostTest : public ::testing::Test {
protected:
    void SetUp() override {
        unsetenv("BREVANT_LISPDISPATCH");
        unsetenv("BREVANT_TRANSCRIPT");
        setenv("BREVANT_REGISTRY_DIR", (m_temp.path() + "/registry").c_str(), 1);
        brevant::platform::clearDriveMap();
        brevant::host::setConsoleOutput(false);
        brevant::host::clearTranscript();
    }

    void TearDown() override {
        brevant::host::restartSession();
        brevant::host::clearTranscript();
        disarmFaults();
    }

    // What was printed since the last call.
    std::string printed() {
        std::string text = brevant::host::transcript();
        brevant::host::clearTranscript();
        return text;
    }

    static std::string modulePath(const std::string& name) {
        return std::string(BREVANT_TEST_MODULES_DIR) + "/" + name;
    }

    TempDir m_temp;
};

}  // namespace brevant::test
