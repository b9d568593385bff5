#include "Locator.h"

#include "BaseUtil.h"
#include "FileUtil.h"
#include "Maintenance.h"
#include "Messages.h"
#include "Registry.h"
#include "Variable.h"

#include <shlobj.h>

#include <cstdlib>
#include <vector>

namespace {

const LPCTSTR kWindowsCurrentVersion = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
const LPCTSTR kDomainSettingsValue = "Domain Settings";

// The module's own file, found once and kept for the life of the process.
CString G_sModuleFile;

bool endsInSeparator(const CString& sPath) {
    if (sPath.IsEmpty()) {
        return false;
    }
    const char chLast = sPath[sPath.GetLength() - 1];
    return chLast == '\\' || chLast == '/';
}

CString withBackslash(const CString& sPath) {
    if (sPath.IsEmpty() || endsInSeparator(sPath)) {
        return sPath;
    }
    return sPath + '\\';
}

CString withoutBackslash(const CString& sPath) {
    CString sResult = sPath;
    if (endsInSeparator(sResult)) {
        sResult = sResult.Left(sResult.GetLength() - 1);
    }
    return sResult;
}

// The folder joined with the file name, with exactly one backslash between.
CString joinPath(const CString& sFolder, LPCTSTR sFileName) {
    return withBackslash(sFolder) + sFileName;
}

// The file is kept once the library knows its module; asked before that,
// the answer (the program's own file) is not kept.
CString getModuleFile() {
    if (!G_sModuleFile.IsEmpty()) {
        return G_sModuleFile;
    }
    char szPath[MAX_PATH + 1] = {0};
    const DWORD dwLength = GetModuleFileNameA(Pellam::getModuleInstance(), szPath, MAX_PATH);
    if (dwLength == 0 || dwLength >= MAX_PATH) {
        return CString();
    }
    const CString sPath(szPath, static_cast<int>(dwLength));
    if (G_bLibraryInitialised) {
        G_sModuleFile = sPath;
    }
    return sPath;
}

// A shell special folder: the item list of the folder, its path, then the
// item list freed with the shell's allocator and the allocator released.
bool GetShellDirectory(int iFolder, CString& sPath) {
    LPMALLOC pMalloc = NULL;
    if (FAILED(SHGetMalloc(&pMalloc)) || pMalloc == NULL) {
        return false;
    }
    bool bResult = false;
    LPITEMIDLIST pItemList = NULL;
    if (SUCCEEDED(SHGetSpecialFolderLocation(NULL, iFolder, &pItemList)) && pItemList != NULL) {
        char szPath[MAX_PATH + 1] = {0};
        if (SHGetPathFromIDListA(pItemList, szPath)) {
            sPath = szPath;
            bResult = true;
        }
        pMalloc->Free(pItemList);
    }
    pMalloc->Release();
    return bResult;
}

// The user's application-data folder followed by the given word.
CString getApplicationDataDirectory(LPCTSTR sWord) {
    CString sPath;
    if (!PELLAM_VERIFY(GetShellDirectory(0x001a, sPath))) {
        sPath.Empty();
    }
    return withBackslash(sPath) + sWord;
}

CString getSystemDirectory() {
    std::vector<char> vectorBuffer(MAX_PATH + 1, 0);
    UINT uLength = GetSystemDirectoryA(vectorBuffer.data(), MAX_PATH);
    if (uLength > MAX_PATH) {
        // The buffer was too small: the call gave the length it needs.
        vectorBuffer.assign(static_cast<size_t>(uLength) + 1, 0);
        uLength = GetSystemDirectoryA(vectorBuffer.data(), uLength);
        if (uLength >= vectorBuffer.size()) {
            return CString();
        }
    }
    if (uLength == 0) {
        return CString();
    }
    return withBackslash(CString(vectorBuffer.data(), static_cast<int>(uLength)));
}

// The first writable folder of: TEMP, TMP (or, when neither is set, Temp and
// Tmp at the root of the system drive), the system folder's Temp and Tmp, and
// the root of the current drive.
CString getTempDirectory() {
    const CString sSystem = getSystemDirectory();
    const TCHAR chDrive = PellamFile::DriveLetter(sSystem);

    const char* pszTemp = getenv("TEMP");
    const char* pszTmp = getenv("TMP");
    CString asCandidates[5];
    if (pszTemp == NULL && pszTmp == NULL) {
        if (chDrive != 0) {
            asCandidates[0] = CString(chDrive) + ":\\Temp\\";
            asCandidates[1] = CString(chDrive) + ":\\Tmp\\";
        }
    } else {
        asCandidates[0] = pszTemp;
        asCandidates[1] = pszTmp;
    }
    if (!sSystem.IsEmpty()) {
        asCandidates[2] = sSystem + "Temp\\";
        asCandidates[3] = sSystem + "Tmp\\";
    }
    asCandidates[4] = "\\";

    for (const CString& sCandidate : asCandidates) {
        if (!sCandidate.IsEmpty() && PellamFile::IsWritableDirectory(sCandidate)) {
            return sCandidate;
        }
    }
    return CString();
}

// The domain settings folder. An administrator sets the folder and a stamp
// for the machine; each user receives the machine's folder once for every
// new stamp, and may change their own copy in between.
CString getDomainDirectory() {
    const CString sKey =
        "Software\\Tarvex\\" + Pellam::getApplicationName() + "\\Remote Configurable";
    const CString sStampKey = sKey + "\\Stamps";

    CString sMachineStamp;
    CString sMachineFolder;
    if (Pellam::Registry::OpenRead(HKEY_LOCAL_MACHINE, sStampKey, kDomainSettingsValue,
                                   sMachineStamp) &&
        Pellam::Registry::OpenRead(HKEY_LOCAL_MACHINE, sKey, kDomainSettingsValue,
                                   sMachineFolder)) {
        CString sUserStamp;
        const bool bUserStamp = Pellam::Registry::OpenRead(HKEY_CURRENT_USER, sStampKey,
                                                           kDomainSettingsValue, sUserStamp);
        if (!bUserStamp || sUserStamp != sMachineStamp) {
            // The stamp is taken over only with the folder, so that a failed
            // copy is tried again next time.
            if (Pellam::Registry::OpenWrite(HKEY_CURRENT_USER, sKey, kDomainSettingsValue,
                                            sMachineFolder)) {
                Pellam::Registry::OpenWrite(HKEY_CURRENT_USER, sStampKey, kDomainSettingsValue,
                                            sMachineStamp);
            }
        }
    }

    std::vector<CString> vectorCandidates;
    CString sUserFolder;
    if (Pellam::Registry::OpenRead(HKEY_CURRENT_USER, sKey, kDomainSettingsValue, sUserFolder)) {
        vectorCandidates.push_back(sUserFolder);
    }
    vectorCandidates.push_back(
        Pellam::Util::getProfileString("Directories", "DomainSettings", "",
                                       Pellam::Locator::Locate(LOCATION_APPLICATION_CONFIG_FILE)));
    const CString sInstall = Pellam::Locator::Locate(LOCATION_INSTALL_DIR);
    vectorCandidates.push_back(sInstall + "..\\" + "DomainSettings");
    vectorCandidates.push_back(sInstall + "..\\..\\" + "DomainSettings");

    for (const CString& sCandidate : vectorCandidates) {
        if (!sCandidate.IsEmpty() && PellamFile::DirectoryExists(sCandidate)) {
            return withBackslash(sCandidate);
        }
    }
    return withBackslash(vectorCandidates.back());
}

CString getRegistryDirectory(LPCTSTR sValueName) {
    CString sPath;
    if (!PELLAM_VERIFY(Pellam::Registry::OpenRead(HKEY_LOCAL_MACHINE, kWindowsCurrentVersion,
                                                  sValueName, sPath))) {
        return CString();
    }
    return sPath;
}

// The folder of the current drawing, from the editor's DWGPREFIX. The editor
// always has the variable; should it still fail to give it, the drawing's
// folder is unknown rather than the failure escaping into the editor.
CString getDrawingDirectory() {
    try {
        Pellam::CARXVariable variablePrefix("DWGPREFIX");
        return variablePrefix.readString();
    } catch (CException* pException) {
        pException->Delete();
        return CString();
    }
}

CString locateRaw(int iWhere) {
    using Pellam::Locator::Locate;
    switch (iWhere) {
        case LOCATION_MODULE_DIR:
            return PellamFile::Directory(Locate(LOCATION_MODULE_FILE));
        case LOCATION_INSTALL_DIR:
            return Locate(LOCATION_MODULE_DIR) + "..\\";
        case LOCATION_HELP_DIR:
            return Locate(LOCATION_INSTALL_DIR) + "HelpDocs";
        case LOCATION_DOMAIN_DIR:
            return getDomainDirectory();
        case LOCATION_TEMP_DIR:
            return getTempDirectory();
        case LOCATION_MAKER_APPDATA_DIR:
            return getApplicationDataDirectory("Tarvex");
        case LOCATION_SUITE_APPDATA_DIR:
            return getApplicationDataDirectory("Zendra");
        case LOCATION_SYSTEM_DIR:
            return getSystemDirectory();
        case LOCATION_COMMON_FILES_DIR:
            return getRegistryDirectory("CommonFilesDir");
        case LOCATION_PROGRAM_FILES_DIR:
            return getRegistryDirectory("ProgramFilesDir");
        case LOCATION_DRAWING_DIR:
            return getDrawingDirectory();
        case LOCATION_PROJECT_DIR:
            return Pellam::Locator::findFileUpwards("ProjectSettings.txt",
                                                    Locate(LOCATION_DRAWING_DIR));
        case LOCATION_PROJECT_SUPPORT_DIR: {
            const CString sProject = Locate(LOCATION_PROJECT_DIR);
            return sProject.IsEmpty() ? CString() : sProject + "Settings";
        }
        case LOCATION_HELP_FILE:
            return Locate(LOCATION_HELP_DIR) + "Zendra.hlp";
        case LOCATION_LOG_FILE:
            return Locate(LOCATION_TEMP_DIR) +
                   PellamFile::BaseName(Locate(LOCATION_MODULE_FILE), "") + ".log";
        case LOCATION_MODULE_FILE:
            return getModuleFile();
        case LOCATION_DOMAIN_SETTINGS_FILE:
            return Locate(LOCATION_DOMAIN_DIR) + "DomainSettings.txt";
        case LOCATION_STANDARD_SETTINGS_FILE:
            return Locate(LOCATION_INSTALL_DIR) + "support\\StandardSettings.txt";
        case LOCATION_APPLICATION_CONFIG_FILE:
            return Locate(LOCATION_INSTALL_DIR) + "Application.cfg";
        case LOCATION_PROJECT_SETTINGS_FILE: {
            const CString sProject = Locate(LOCATION_PROJECT_DIR);
            return sProject.IsEmpty() ? CString() : sProject + "ProjectSettings.txt";
        }
        default:
            PELLAM_VERIFY(false);
            return CString();
    }
}

}  // namespace

namespace Pellam {
namespace Locator {

CString Locate(int iWhere) {
    if (!PELLAM_VERIFY((iWhere != LOCATION_DIRS) && (iWhere != LOCATION_FILES))) {
        return CString();
    }
    CString sResult = locateRaw(iWhere);
    if (sResult.IsEmpty()) {
        return sResult;
    }
    sResult = PellamFile::FullPath(sResult);
    if (iWhere < LOCATION_FILES) {
        sResult = withBackslash(sResult);
    }
    return sResult;
}

void setModuleFile(LPCTSTR sModuleFile) {
    G_sModuleFile = PellamFile::FullPath(sModuleFile);
}

CString findFileUpwards(LPCTSTR sFileName, LPCTSTR sStartFolder) {
    CString sFolder = withoutBackslash(CString(sStartFolder));
    if (sFolder.IsEmpty()) {
        return CString();
    }
    if (PellamFile::Exists(joinPath(sFolder, sFileName))) {
        return withBackslash(sFolder);
    }
    for (;;) {
        sFolder = withoutBackslash(sFolder);
        const CString sParent = PellamFile::Directory(sFolder);
        // The root has been passed when a folder is its own parent; a
        // relative start ends when no parent is left.
        if (sParent.IsEmpty() || sFolder.CompareNoCase(sParent) == 0 ||
            sParent.GetLength() > sFolder.GetLength()) {
            return CString();
        }
        sFolder = sParent;
        if (PellamFile::Exists(joinPath(sFolder, sFileName))) {
            return withBackslash(sFolder);
        }
    }
}

}  // namespace Locator
}  // namespace Pellam
