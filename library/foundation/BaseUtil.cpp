// Product names from the module's version resource, number conversion,
// initialisation-file values and numbered files.
#include "BaseUtil.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "FileUtil.h"
#include "Messages.h"
#include "VersionBlock.h"

namespace Pellam {
namespace Util {

CString getCompanyName() {
    return CVersionBlock::getValue(_T("CompanyName"));
}

CString getProductName() {
    return CVersionBlock::getValue(_T("ProductName"));
}

CString getInternalName() {
    CString sReturn = CVersionBlock::getValue(_T("InternalName"));
    PELLAM_VERIFY(!sReturn.IsEmpty());
    return sReturn;
}

CString getFullProductName() {
    return getCompanyName() + _T(" ") + getProductName();
}

std::vector<CString> getMakerNames() {
    return std::vector<CString>{CString(_T("Tarvex")), CString(_T("Pellam"))};
}

std::vector<CString> getMakerInternalNames() {
    const CString sInternalName = getInternalName();
    std::vector<CString> vectorNames;
    for (const CString& sMaker : getMakerNames()) {
        vectorNames.push_back(sMaker + sInternalName);
    }
    return vectorNames;
}

CString toText(unsigned int uValue) {
    CString sText;
    sText.Format(_T("%u"), uValue);
    return sText;
}

CString toText(short iValue) {
    CString sText;
    sText.Format(_T("%i"), (int)iValue);
    return sText;
}

CString toText(int iValue) {
    CString sText;
    sText.Format(_T("%i"), iValue);
    return sText;
}

CString toText(double dValue) {
    CString sText;
    sText.Format(_T("%.14g"), dValue);
    return sText;
}

bool toUnsigned(const CString& sText, unsigned int& uValue) {
    if (sText.IsEmpty()) {
        return false;
    }
    for (int i = 0; i < sText.GetLength(); ++i) {
        const TCHAR c = sText[i];
        if (!((c >= '0' && c <= '9') || c == '-')) {
            return false;
        }
    }
    sscanf(sText, _T("%u"), &uValue);
    return true;
}

CString getProfileString(LPCTSTR sSection, LPCTSTR sKey, LPCTSTR sDefault, LPCTSTR sFile) {
    // A value that fills the buffer may have been cut: ask again with more
    // room until it fits. The room doubles, so a long value takes few reads.
    DWORD dwSize = (DWORD)((sDefault != NULL ? strlen(sDefault) : 0) + 2);
    for (;;) {
        std::vector<char> buffer(dwSize, '\0');
        DWORD dwLength =
            GetPrivateProfileStringA(sSection, sKey, sDefault, buffer.data(), dwSize, sFile);
        if (dwLength + 1 < dwSize) {
            return CString(buffer.data(), (int)dwLength);
        }
        dwSize *= 2;
    }
}

}  // namespace Util

CString findLatestNumberedFile(LPCTSTR sName, LPCTSTR sExtension, LPCTSTR sDirectory) {
    const CString sExt(sExtension);
    const CString sDot = sExt.IsEmpty() ? CString() : CString(_T("."));
    const CString sPattern = CString(sDirectory) + sName + _T("#*") + sDot + sExt;

    CString sResult;
    int iBest = 0;
    CFileFind finder;
    BOOL bWorking = finder.FindFile(sPattern);
    while (bWorking) {
        bWorking = finder.FindNextFile();
        const CString sPath = finder.GetFilePath();
        const CString sTitle = PellamFile::Title(sPath);
        const int iHash = sTitle.ReverseFind('#');
        if (iHash < 0) {
            continue;
        }
        int iNumber = 0;
        if (sscanf(sTitle.Mid(iHash), _T("#%d"), &iNumber) == 1 && iNumber > iBest) {
            sResult = sPath;
            iBest = iNumber;
        }
    }
    finder.Close();

    if (sResult.IsEmpty()) {
        const CString sPlain = CString(sDirectory) + sName + sDot + sExt;
        if (PellamFile::Exists(sPlain) || PellamFile::DirectoryExists(sPlain)) {
            sResult = sPlain;
        }
    }
    return sResult;
}

}  // namespace Pellam
