#include "SettingsDrawing.h"

#include <gtest/gtest.h>

#include "dbapserv.h"
#include "dbmain.h"

namespace brevant::test {

const char kSettingsApplication[] = "Pellam-Ternis-1";

namespace {

void tag(std::string& sText, int iCode, const std::string& sValue) {
    sText += std::to_string(iCode) + "\n" + sValue + "\n";
}

}  // namespace

XData settingsXData(const std::vector<std::string>& vectorRecords, int iCount) {
    XData xdata = {
        {1000, "v1"},
        {1000, "TERNISSETTINGS"},
        {1070, std::to_string(iCount == kCountOfRecords ? (int)vectorRecords.size() : iCount)}};
    for (const std::string& sRecord : vectorRecords) {
        xdata.emplace_back(1000, sRecord);
    }
    return xdata;
}

XData cacheXData(const std::string& sHandle) {
    return {{1000, "v1"}, {1000, "TERNISSETTINGS-CACHE"}, {1000, sHandle}};
}

std::string settingsDrawingText(const std::vector<TestEntity>& vectorEntities, bool bRegistered) {
    std::string sText;
    tag(sText, 0, "SECTION");
    tag(sText, 2, "HEADER");
    tag(sText, 9, "$ACADVER");
    tag(sText, 1, "AC1015");
    tag(sText, 0, "ENDSEC");
    tag(sText, 0, "SECTION");
    tag(sText, 2, "TABLES");
    tag(sText, 0, "TABLE");
    tag(sText, 2, "APPID");
    tag(sText, 5, "9");
    tag(sText, 70, "2");
    tag(sText, 0, "APPID");
    tag(sText, 5, "12");
    tag(sText, 2, "ACAD");
    tag(sText, 70, "0");
    if (bRegistered) {
        tag(sText, 0, "APPID");
        tag(sText, 5, "13");
        tag(sText, 2, kSettingsApplication);
        tag(sText, 70, "0");
    }
    tag(sText, 0, "ENDTAB");
    tag(sText, 0, "ENDSEC");
    tag(sText, 0, "SECTION");
    tag(sText, 2, "ENTITIES");
    for (const TestEntity& entity : vectorEntities) {
        tag(sText, 0, entity.sType);
        if (!entity.sHandle.empty()) {
            tag(sText, 5, entity.sHandle);
        }
        tag(sText, 8, "0");
        tag(sText, 10, "0.0");
        tag(sText, 20, "0.0");
        tag(sText, 30, "0.0");
        if (!entity.xdata.empty()) {
            tag(sText, 1001, kSettingsApplication);
            for (const auto& item : entity.xdata) {
                tag(sText, item.first, item.second);
            }
        }
    }
    tag(sText, 0, "ENDSEC");
    tag(sText, 0, "SECTION");
    tag(sText, 2, "OBJECTS");
    tag(sText, 0, "DICTIONARY");
    tag(sText, 5, "C");
    tag(sText, 330, "0");
    tag(sText, 100, "AcDbDictionary");
    tag(sText, 0, "ENDSEC");
    tag(sText, 0, "EOF");
    return sText;
}

WorkingDrawing::WorkingDrawing(const std::string& sText) : m_pDatabase(new AcDbDatabase(false)) {
    const std::string sPath = m_dir.file("settings.dwg");
    writeFile(sPath, sText);
    m_bValid = m_pDatabase->readDwgFile(sPath.c_str()) == Acad::eOk;
    EXPECT_TRUE(m_bValid) << m_pDatabase->lastErrorText();
    acdbHostApplicationServices()->setWorkingDatabase(m_pDatabase.get());
}

WorkingDrawing::~WorkingDrawing() {
    acdbHostApplicationServices()->setWorkingDatabase(nullptr);
}

}  // namespace brevant::test
