#include "TitleBlockMachine.h"

#include <filesystem>
#include <fstream>

#include "../configuration/CommandLine.h"
#include "Maintenance.h"
#include "Messages.h"
#include "dbapserv.h"
#include "hostdb.h"
#include "windows.h"

namespace brevant::test {

void TitleBlockMachine::SetUp() {
    brevant::platform::clearDriveMap();
    brevant::platform::mapDrive("X", m_dir.file("X"));
    std::filesystem::create_directories(m_dir.file("X/Tarvex/Brevant/bin"));
    std::filesystem::create_directories(m_dir.file("X/Tarvex/Brevant/support"));
    std::filesystem::create_directories(m_dir.file("X/Tarvex/DomainSettings"));
    setenv("BREVANT_REGISTRY_DIR", m_dir.file("registry").c_str(), 1);
    initialiseLibrary(2);
    std::filesystem::copy_file(LOCATOR_PROBE, m_dir.file("X/Tarvex/Brevant/bin/Brevant15.arx"));
    HMODULE hModule = LoadLibraryA("X:\\Tarvex\\Brevant\\bin\\Brevant15.arx");
    ASSERT_NE(hModule, nullptr);
    Pellam::getModuleInstance() = hModule;
    brevant::platform::captureMessageBoxes(&m_vectorBoxes);
}

void TitleBlockMachine::TearDown() {
    acdbHostApplicationServices()->setWorkingDatabase(nullptr);
    delete m_pDb;
    m_pDb = nullptr;
    brevant::platform::captureMessageBoxes(nullptr);
    brevant::platform::clearDriveMap();
    int iPrevious = 0;
    Pellam::Messages::setDebugLevel(0, iPrevious);
}

void TitleBlockMachine::writeSettings(const std::string& sWindowsPath, const std::string& sText) {
    std::string sNative;
    ASSERT_TRUE(brevant::platform::toNativePath(sWindowsPath, sNative)) << sWindowsPath;
    std::filesystem::create_directories(std::filesystem::path(sNative).parent_path());
    std::ofstream(sNative, std::ios::binary) << sText;
}

AcDbDatabase* TitleBlockMachine::newDrawing() {
    acdbHostApplicationServices()->setWorkingDatabase(nullptr);
    delete m_pDb;
    m_pDb = new AcDbDatabase(true, true);
    acdbHostApplicationServices()->setWorkingDatabase(m_pDb);
    return m_pDb;
}

void TitleBlockMachine::defineBlock(const std::string& sName,
                                    const std::vector<std::string>& vectorTags) {
    std::vector<std::pair<std::string, std::string>> attdefs;
    for (const std::string& sTag : vectorTags) {
        attdefs.emplace_back(sTag, "");
    }
    AcDbObjectId idBlock;
    ASSERT_EQ(brevant::host::defineBlock(m_pDb, sName.c_str(), attdefs, idBlock), Acad::eOk);
}

std::string TitleBlockMachine::insert(const std::string& sName, const TagValues& values) {
    AcDbObjectId idReference;
    EXPECT_EQ(
        brevant::host::insertBlock(m_pDb, sName.c_str(), AcGePoint3d(0, 0, 0), values, idReference),
        Acad::eOk);
    char szHandle[17] = {0};
    idReference.handle().getIntoAsciiBuffer(szHandle);
    return szHandle;
}

std::vector<std::string> TitleBlockMachine::takeFailedChecks() {
    std::vector<std::string> vectorChecks;
    for (const auto& box : m_vectorBoxes) {
        // "Assertion : <expression>\nFile : <...>\nLine : n"
        const size_t iStart = box.text.find('<');
        const size_t iEnd = box.text.find(">\nFile");
        if (iStart != std::string::npos && iEnd != std::string::npos) {
            vectorChecks.push_back(box.text.substr(iStart + 1, iEnd - iStart - 1));
        }
    }
    m_vectorBoxes.clear();
    return vectorChecks;
}

}  // namespace brevant::test
