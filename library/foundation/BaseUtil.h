// Product names from the module's version resource, number conversion,
// initialisation-file values and numbered files.
#pragma once

#include <afx.h>

#include <vector>

namespace Pellam {
namespace Util {

CString getCompanyName();
CString getProductName();
CString getInternalName();
CString getFullProductName();                  // company, one blank, product
std::vector<CString> getMakerNames();          // "Tarvex", "Pellam"
std::vector<CString> getMakerInternalNames();  // each maker word + internal name

CString toText(unsigned int uValue);  // "%u"
CString toText(short iValue);         // "%i"
CString toText(int iValue);           // "%i"
CString toText(double dValue);        // "%.14g"
bool toUnsigned(const CString& sText, unsigned int& uValue);

// An initialisation-file value of any length.
CString getProfileString(LPCTSTR sSection, LPCTSTR sKey, LPCTSTR sDefault, LPCTSTR sFile);

}  // namespace Util

// The file sDirectory + sName + "#<n>" [+ "." + sExtension] with the highest
// number n above 0; without one, the plain sDirectory + sName [+ "." +
// sExtension] when it exists as a file or folder; otherwise "".
CString findLatestNumberedFile(LPCTSTR sName, LPCTSTR sExtension, LPCTSTR sDirectory);

}  // namespace Pellam
