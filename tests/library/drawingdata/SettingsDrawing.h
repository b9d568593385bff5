// Test drawings for the settings stores: entities with extended data of the
// application "Pellam-Ternis-1", written as drawing-file text and read back,
// as the earlier product left them.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "TempDir.h"

class AcDbDatabase;

namespace brevant::test {

extern const char kSettingsApplication[];  // "Pellam-Ternis-1"

// Extended data items after the application's 1001 item: code and value as
// the drawing file holds them.
typedef std::vector<std::pair<int, std::string>> XData;

struct TestEntity {
    std::string sType;    // "LINE", "TEXT", ...
    std::string sHandle;  // "" for an entity without a handle
    XData xdata;          // empty: no extended data of the application
};

// The carrier's data: an item that is not examined, the marker
// "TERNISSETTINGS", the count (by default the number of records) and the
// records.
const int kCountOfRecords = -1000000;
XData settingsXData(const std::vector<std::string>& vectorRecords, int iCount = kCountOfRecords);
// The cache marker: an item that is not examined, "TERNISSETTINGS-CACHE" and
// the carrier's handle.
XData cacheXData(const std::string& sHandle);

// Drawing-file text with the application registered (unless bRegistered is
// false), the entities in order, and a named-objects dictionary.
std::string settingsDrawingText(const std::vector<TestEntity>& vectorEntities,
                                bool bRegistered = true);

// A drawing read from drawing-file text, the working database while it lives.
class WorkingDrawing {
public:
    explicit WorkingDrawing(const std::string& sText);
    ~WorkingDrawing();
    WorkingDrawing(const WorkingDrawing&) = delete;
    WorkingDrawing& operator=(const WorkingDrawing&) = delete;

    AcDbDatabase* database() const { return m_pDatabase.get(); }
    bool valid() const { return m_bValid; }

private:
    TempDir m_dir;
    std::unique_ptr<AcDbDatabase> m_pDatabase;
    bool m_bValid = false;
};

}  // namespace brevant::test
