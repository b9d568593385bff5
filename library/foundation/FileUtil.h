// Paths, file and folder tests, absolute paths and folder trees.
#pragma once

#include <afx.h>

#include <string>

namespace PellamFile {

CString Directory(LPCTSTR sPath);                     // drive and folder, ending in "\"
CString BaseName(LPCTSTR sPath, LPCTSTR sExtension);  // name.ext, or name when ext matches
CString Title(LPCTSTR sPath);                         // name without extension
CString Extension(LPCTSTR sPath);                     // after the last ".", no dot
TCHAR DriveLetter(LPCTSTR sPath);                     // 0 without a drive
bool Exists(LPCTSTR sPath);                           // an existing file, readable
bool IsWritable(LPCTSTR sPath);                       // an existing file, writable
bool DirectoryExists(LPCTSTR sPath);
bool IsWritableDirectory(LPCTSTR sPath);
CString FullPath(LPCTSTR sPath);

// The class library's message for an exception ("... could not be found.").
CString ExceptionMessage(CException* pException);

// Reading a whole small file, shared with every other reader and writer.
enum ReadResult {
    READ_WHOLE,      // sBytes holds the file
    READ_FAILED,     // sError says why it could not be opened or read
    READ_TOO_LARGE,  // dwLength says how large it is; nothing was read
};
ReadResult ReadWholeFile(LPCTSTR sPath, DWORD dwMaxBytes, std::string& sBytes, DWORD& dwLength,
                         CString& sError);

}  // namespace PellamFile

// Creates the folder and every missing parent.
bool RecursiveCreateDirectory(LPCTSTR sPath, LPSECURITY_ATTRIBUTES pSecurityAttributes);
