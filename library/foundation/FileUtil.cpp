// Paths, file and folder tests, absolute paths and folder trees.
#include "FileUtil.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "Messages.h"
#include "Versions.h"

namespace {

// A path split by the runtime into drive, directory, file name and extension
// (with its dot). Every part gets room for the whole path, so a path longer
// than the runtime's limits is split without overrunning a part.
struct SplitPath {
    explicit SplitPath(LPCTSTR sPath) {
        const char* sSource = (sPath != NULL) ? sPath : _T("");
        const size_t iRoom = std::max<size_t>(strlen(sSource) + 1, _MAX_PATH);
        drive.assign(iRoom, '\0');
        dir.assign(iRoom, '\0');
        fname.assign(iRoom, '\0');
        ext.assign(iRoom, '\0');
        _splitpath(sSource, drive.data(), dir.data(), fname.data(), ext.data());
        // The runtime cuts a part longer than its limit: the parts then no
        // longer make up the path.
        whole =
            strlen(drive.data()) + strlen(dir.data()) + strlen(fname.data()) + strlen(ext.data()) ==
            strlen(sSource);
    }
    std::vector<char> drive, dir, fname, ext;
    bool whole;
};

// Opens an existing object with the given access and flags and closes it at
// once: true when it could be opened.
bool canOpen(LPCTSTR sPath, DWORD dwAccess, DWORD dwFlags) {
    HANDLE hFile = CreateFileA(sPath, dwAccess, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                               OPEN_EXISTING, dwFlags, NULL);
    if (hFile == INVALID_HANDLE_VALUE) {
        return false;
    }
    CloseHandle(hFile);
    return true;
}

// The process's current directory, asked first for its length.
CString currentDirectory() {
    DWORD dwLength = GetCurrentDirectoryA(0, NULL);
    if (dwLength == 0) {
        return CString();
    }
    CString sDirectory;
    DWORD dwCopied = GetCurrentDirectoryA(dwLength, sDirectory.GetBuffer((int)dwLength));
    sDirectory.ReleaseBuffer(dwCopied < dwLength ? (int)dwCopied : 0);
    return sDirectory;
}

// Opening with backup semantics succeeds for a file as well as for a folder:
// only a folder counts.
bool isFolder(LPCTSTR sPath) {
    const DWORD dwAttributes = GetFileAttributesA(sPath);
    return dwAttributes != INVALID_FILE_ATTRIBUTES &&
           (dwAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Older Windows: a folder exists when it can be made the current directory.
bool directoryExistsByChange(LPCTSTR sPath) {
    CString sCurrent = currentDirectory();
    if (!SetCurrentDirectoryA(sPath)) {
        return false;
    }
    SetCurrentDirectoryA(sCurrent);
    return true;
}

// Older Windows: a folder is writable when a probe file can be made in it.
bool directoryIsWritableByProbe(LPCTSTR sPath) {
    CString sCurrent = currentDirectory();
    if (!SetCurrentDirectoryA(sPath)) {
        return false;
    }
    bool bWritable = false;
    HANDLE hProbe = CreateFileA(_T("PELLAMTestFile.tmp"), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, NULL);
    if (hProbe != INVALID_HANDLE_VALUE) {
        CloseHandle(hProbe);
        DeleteFileA(_T("PELLAMTestFile.tmp"));
        bWritable = true;
    }
    SetCurrentDirectoryA(sCurrent);
    return bWritable;
}

}  // namespace

namespace PellamFile {

CString Directory(LPCTSTR sPath) {
    SplitPath split(sPath);
    return CString(split.drive.data()) + split.dir.data();
}

CString BaseName(LPCTSTR sPath, LPCTSTR sExtension) {
    SplitPath split(sPath);
    CString sBaseName(split.fname.data());
    if (strcmp(split.ext.data(), sExtension != NULL ? sExtension : _T("")) != 0) {
        sBaseName += split.ext.data();
    }
    return sBaseName;
}

CString Title(LPCTSTR sPath) {
    SplitPath split(sPath);
    return CString(split.fname.data());
}

CString Extension(LPCTSTR sPath) {
    CString sBaseName = BaseName(sPath, _T(""));
    int iDot = sBaseName.ReverseFind('.');
    if (iDot < 0) {
        return CString();
    }
    return sBaseName.Mid(iDot + 1);
}

TCHAR DriveLetter(LPCTSTR sPath) {
    SplitPath split(sPath);
    return split.drive[0];
}

bool Exists(LPCTSTR sPath) {
    return canOpen(sPath, GENERIC_READ, FILE_ATTRIBUTE_NORMAL);
}

bool IsWritable(LPCTSTR sPath) {
    return canOpen(sPath, GENERIC_WRITE, FILE_ATTRIBUTE_NORMAL);
}

bool DirectoryExists(LPCTSTR sPath) {
    if (isOSVersion(0)) {
        return canOpen(sPath, GENERIC_READ, FILE_FLAG_BACKUP_SEMANTICS) && isFolder(sPath);
    }
    return directoryExistsByChange(sPath);
}

bool IsWritableDirectory(LPCTSTR sPath) {
    if (isOSVersion(0)) {
        return canOpen(sPath, GENERIC_WRITE, FILE_FLAG_BACKUP_SEMANTICS) && isFolder(sPath);
    }
    return directoryIsWritableByProbe(sPath);
}

CString FullPath(LPCTSTR sPath) {
    char sFullPath[_MAX_PATH];
    if (sPath == NULL || _fullpath(sFullPath, sPath, _MAX_PATH) == NULL) {
        return CString(sPath);
    }
    return CString(sFullPath);
}

CString ExceptionMessage(CException* pException) {
    char szText[512] = {0};
    pException->GetErrorMessage(szText, sizeof szText);
    return CString(szText);
}

ReadResult ReadWholeFile(LPCTSTR sPath, DWORD dwMaxBytes, std::string& sBytes, DWORD& dwLength,
                         CString& sError) {
    sBytes.clear();
    dwLength = 0;
    CFile file;
    CFileException error;
    if (!file.Open(sPath, CFile::modeRead | CFile::shareDenyNone | CFile::typeBinary, &error)) {
        error.m_strFileName = sPath;
        sError = ExceptionMessage(&error);
        return READ_FAILED;
    }
    try {
        dwLength = file.GetLength();
        if (dwLength > dwMaxBytes) {
            file.Abort();
            return READ_TOO_LARGE;
        }
        sBytes.assign(dwLength, '\0');
        const UINT nRead = dwLength == 0 ? 0 : file.Read(&sBytes[0], dwLength);
        sBytes.resize(nRead);
        file.Close();
    } catch (CException* pException) {
        sError = ExceptionMessage(pException);
        pException->Delete();
        file.Abort();
        sBytes.clear();
        return READ_FAILED;
    }
    return READ_WHOLE;
}

}  // namespace PellamFile

bool RecursiveCreateDirectory(LPCTSTR sPath, LPSECURITY_ATTRIBUTES pSecurityAttributes) {
    CString sDirectory(sPath);
    Pellam::Messages::traceFormat(_T("\n->RecursiveCreateDirectory(\"%s\")"), (LPCTSTR)sDirectory);

    if (sDirectory.IsEmpty()) {
        return false;
    }
    // Both separators end a folder name, as the file calls accept both.
    const TCHAR cLast = sDirectory[sDirectory.GetLength() - 1];
    if (cLast == '\\' || cLast == '/') {
        sDirectory = sDirectory.Left(sDirectory.GetLength() - 1);
    }
    if (PellamFile::DirectoryExists(sDirectory)) {
        return true;
    }
    // A path too long for the runtime to split has no parent to make first;
    // a cut parent would make a folder of the wrong name.
    if (!SplitPath(sDirectory).whole) {
        return false;
    }
    CString sParent = PellamFile::Directory(sDirectory);
    if (sParent == sDirectory) {
        return false;
    }
    if (!RecursiveCreateDirectory(sParent, pSecurityAttributes)) {
        return false;
    }
    Pellam::Messages::traceFormat(_T("\n<-CreateDirectory(\"%s\")"), (LPCTSTR)sDirectory);
    if (CreateDirectoryA(sDirectory, pSecurityAttributes)) {
        return true;
    }
    // Another editor (or another process of a batch) may have made the
    // folder since it was looked for: it is there, which is what was asked.
    return ::GetLastError() == ERROR_ALREADY_EXISTS && PellamFile::DirectoryExists(sDirectory);
}
