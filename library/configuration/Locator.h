// Finds every folder and file outside the drawing by its location kind.
// Folder kinds end in a backslash; an empty result means not found.
#pragma once

#include <afx.h>

enum LocationKind {
    LOCATION_DIRS = 0,
    LOCATION_MODULE_DIR = 1,
    LOCATION_INSTALL_DIR = 2,
    LOCATION_HELP_DIR = 3,
    LOCATION_DOMAIN_DIR = 4,
    LOCATION_TEMP_DIR = 5,
    LOCATION_MAKER_APPDATA_DIR = 6,
    LOCATION_SUITE_APPDATA_DIR = 7,
    LOCATION_SYSTEM_DIR = 8,
    LOCATION_COMMON_FILES_DIR = 9,
    LOCATION_PROGRAM_FILES_DIR = 10,
    LOCATION_DRAWING_DIR = 11,
    LOCATION_PROJECT_DIR = 12,
    LOCATION_PROJECT_SUPPORT_DIR = 13,
    LOCATION_FILES = 14,
    LOCATION_HELP_FILE = 15,
    LOCATION_LOG_FILE = 16,
    LOCATION_MODULE_FILE = 17,
    LOCATION_DOMAIN_SETTINGS_FILE = 18,
    LOCATION_STANDARD_SETTINGS_FILE = 19,
    LOCATION_APPLICATION_CONFIG_FILE = 20,
    LOCATION_PROJECT_SETTINGS_FILE = 21,
};

namespace Pellam {
namespace Locator {

CString Locate(int iWhere);
// Programs that run the library outside the module (the indexing tool) name
// the module file whose install folder applies, as if the library were that
// module; the module itself finds its own file.
void setModuleFile(LPCTSTR sModuleFile);
// The folder nearest to sStartFolder, upwards, that holds the file; "" if none.
CString findFileUpwards(LPCTSTR sFileName, LPCTSTR sStartFolder);

}  // namespace Locator
}  // namespace Pellam
