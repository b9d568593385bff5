// A list of text records that an application keeps inside a drawing, by
// position.
#pragma once

#include <afx.h>

#include <vector>

class CDrawingSettings {
public:
    explicit CDrawingSettings(LPCTSTR sApplication);
    virtual ~CDrawingSettings();

    virtual void write() = 0;
    virtual void read() = 0;

    // The records; position = index. Meant to be asked after read().
    const std::vector<CString>& getEntries() const;
    // The records that write() stores.
    void setEntries(const std::vector<CString>& vectorEntries);

protected:
    CString m_sApplication;
    std::vector<CString> m_vectorEntries;
    bool m_bEntriesValid;
};
