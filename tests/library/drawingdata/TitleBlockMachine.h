// A workstation for the title-block tests: drive X: in a temporary folder with
// its own registry, the module installed as X:\Tarvex\Brevant\bin\Brevant15.arx
// (so that the standard settings are X:\Tarvex\Brevant\support\ and the
// office's domain settings X:\Tarvex\DomainSettings\), settings files written
// by the test, and drawings made in memory as the working database.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "TempDir.h"
#include "brevant/platform.h"
#include "dbmain.h"

namespace brevant::test {

typedef std::vector<std::pair<std::string, std::string>> TagValues;

class TitleBlockMachine : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A settings file at a path under X: given with backslashes.
    void writeSettings(const std::string& sWindowsPath, const std::string& sText);
    void writeProjectSettings(const std::string& sFolder, const std::string& sText) {
        writeSettings(sFolder + "\\ProjectSettings.txt", sText);
    }
    void writeDomainSettings(const std::string& sText) {
        writeSettings("X:\\Tarvex\\DomainSettings\\DomainSettings.txt", sText);
    }
    void writeStandardSettings(const std::string& sText) {
        writeSettings("X:\\Tarvex\\Brevant\\support\\StandardSettings.txt", sText);
    }

    // A new drawing in memory, made the working database.
    AcDbDatabase* newDrawing();
    void defineBlock(const std::string& sName, const std::vector<std::string>& vectorTags = {});
    // A reference with one attribute per pair, in order; its handle.
    std::string insert(const std::string& sName, const TagValues& values = {});

    // The expressions of the checks that failed since the last look (debug
    // level 2 reports each in a message box).
    std::vector<std::string> takeFailedChecks();

    TempDir m_dir;
    AcDbDatabase* m_pDb = nullptr;
    std::vector<brevant::platform::MessageBoxCall> m_vectorBoxes;
};

}  // namespace brevant::test
