// A text-mode file written whole or not at all: it is written under a name of
// this process's own beside the file it replaces and moved over that file in
// one step, so that a reader (the document manager, another editor) never
// sees half a file, and a failure anywhere leaves the previous file as it was
// and no temporary file behind.
#pragma once

#include <afx.h>

namespace Pellam {

class CReplacementFile {
public:
    CReplacementFile() = default;
    // Discards what was written unless it was committed.
    ~CReplacementFile();
    CReplacementFile(const CReplacementFile&) = delete;
    CReplacementFile& operator=(const CReplacementFile&) = delete;

    // Opens the temporary file for sFileName ("<sFileName>.<process id>.tmp").
    // Throws CFileException* naming sFileName when it cannot be made.
    void open(LPCTSTR sFileName);
    // The temporary file, open in text mode for writing.
    CStdioFile& file() { return m_file; }
    // Flushes the temporary file to disk, closes it and moves it over the
    // file (made when missing). Throws CFileException* naming the file; the
    // temporary file is removed then and the file stays as it was.
    void commit();
    // Closes and removes the temporary file; the file stays as it was.
    void discard();

private:
    CStdioFile m_file;
    CString m_sFileName;
    CString m_sTemporary;
};

}  // namespace Pellam
