// The history of a drawing: one period of a user's work with it, from opening
// (or saving under a new name) to closing (or the next save under a new name),
// recorded as one line appended to the drawing's history file in its docinfo
// folder. The document manager reads the file; this class only appends to it.
#pragma once

#include <afx.h>

class CDrawingHistory {
public:
    // The default value of a map entry: no drawing, no history file.
    CDrawingHistory();
    // A period of the drawing sFileName (full path) that starts now. Works
    // out the history file name, which makes the docinfo folder if it is
    // missing; when the folder cannot be made (the user has been told) the
    // history file name stays empty and the period is never recorded.
    explicit CDrawingHistory(LPCTSTR sFileName);

    // A save of the drawing completed now.
    void markSaved();
    // No save completed in this period.
    bool isViewOnly() const;
    // Ends the period: appends its "VIEW" or "EDIT" record to the history
    // file and tells the document manager. Throws the class library's file
    // exception (CFileException*) when the record cannot be written.
    void close();

    CString getFileName() const { return m_sFileName; }
    CString getHistoryFileName() const { return m_sHistoryFileName; }

    // The history file of a drawing in the folder sDocInfoFolder (ending in
    // a backslash): title, "-", extension (letter case kept), ".his".
    static CString historyFileName(LPCTSTR sDocInfoFolder, LPCTSTR sDrawing);

    // Appends one record to sHistoryFile, creating the file if it is missing:
    // a line break, then the stamp (now), the action, and the user, computer
    // and period in double quotes. The record reaches the file in one write
    // to a handle opened for appending, so records of several editors that
    // append at the same time neither overwrite nor interleave each other.
    // Throws CFileException* when the file cannot be opened or written.
    static void writeRecord(LPCTSTR sHistoryFile, LPCTSTR sUserName, LPCTSTR sComputerName,
                            LPCTSTR sAction, LPCTSTR sPeriod);

private:
    CTime m_timeOpened;
    CTime m_timeLastSave;
    bool m_bSaved;
    CString m_sFileName;
    CString m_sHistoryFileName;
};
