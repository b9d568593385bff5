#include "ARXDrawingData.h"

#include "FileUtil.h"
#include "RegExp.h"

namespace Pellam {

bool CARXDrawingData::isValidFileName(LPCTSTR sPath) {
    const CString sExtension = PellamFile::Extension(sPath);
    if (sExtension.CompareNoCase("dwg") != 0) {
        return false;
    }
    CString sTitle = PellamFile::BaseName(sPath, "." + sExtension);
    sTitle.MakeLower();
    CRegExp regexpDefaultName;
    if (regexpDefaultName.compile("^drawing[0-9]*$|^unnamed drawing$") == NULL) {
        return true;
    }
    return !regexpDefaultName.matches(sTitle);
}

}  // namespace Pellam
