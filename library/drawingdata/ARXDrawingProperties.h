// A drawing's summary information (title, subject, author, ... and free
// custom entries), read into memory whole and written back whole.
#pragma once

#include <afx.h>

#include <map>

class AcDbDatabase;

class CDrawingProperties {
public:
    CDrawingProperties();
    virtual ~CDrawingProperties();

    virtual void read() = 0;
    virtual void write() = 0;

    // Reads the properties again, then gives the title.
    CString getTitle();
    void setTitle(const CString& sTitle);

    // Whether read() has run (whether or not the drawing's summary
    // information could be had).
    bool isValid() const { return m_bValid; }
    const CString& getHyperLink() const { return m_sHyperLink; }
    void setHyperLink(const CString& sHyperLink) { m_sHyperLink = sHyperLink; }
    const CString& getSubject() const { return m_sSubject; }
    void setSubject(const CString& sSubject) { m_sSubject = sSubject; }
    const CString& getAuthor() const { return m_sAuthor; }
    void setAuthor(const CString& sAuthor) { m_sAuthor = sAuthor; }
    const CString& getComments() const { return m_sComments; }
    void setComments(const CString& sComments) { m_sComments = sComments; }
    const CString& getKeywords() const { return m_sKeywords; }
    void setKeywords(const CString& sKeywords) { m_sKeywords = sKeywords; }
    const CString& getLastSavedBy() const { return m_sLastSavedBy; }
    void setLastSavedBy(const CString& sLastSavedBy) { m_sLastSavedBy = sLastSavedBy; }
    const CString& getRevisionNumber() const { return m_sRevisionNumber; }
    void setRevisionNumber(const CString& sRevisionNumber) { m_sRevisionNumber = sRevisionNumber; }
    // The number of custom entries that the drawing held at the last read.
    int getNumberOfCustomEntries() const { return m_iNumberOfCustomEntries; }
    // Custom entries, key to value; written back in ascending key order.
    const std::map<CString, CString>& getCustomEntries() const { return m_mapCustomEntries; }
    void setCustomEntries(const std::map<CString, CString>& mapCustomEntries) {
        m_mapCustomEntries = mapCustomEntries;
    }

protected:
    bool m_bValid;
    CString m_sHyperLink;
    CString m_sTitle;
    CString m_sSubject;
    CString m_sAuthor;
    CString m_sComments;
    CString m_sKeywords;
    CString m_sLastSavedBy;
    CString m_sRevisionNumber;
    int m_iNumberOfCustomEntries;
    std::map<CString, CString> m_mapCustomEntries;
};

// The summary information of a drawing database in the editor. It lives in
// the editor's summary-information modules, which this object loads for as
// long as it lives; a new object already holds the drawing's properties.
class CARXDrawingProperties : public CDrawingProperties {
public:
    // Loads the modules and reads the properties.
    explicit CARXDrawingProperties(AcDbDatabase* pDatabase);
    // Unloads the modules that this object loaded.
    ~CARXDrawingProperties() override;

    CARXDrawingProperties(const CARXDrawingProperties&) = delete;
    CARXDrawingProperties& operator=(const CARXDrawingProperties&) = delete;

    // Loads "acsiobj.arx" and "acsiobj.dbx"; true when at least one loaded.
    bool initialise();
    // Reads every property; the custom entries are added to those already
    // held. Sets the object valid whether or not the read succeeded.
    void read() override;
    // Writes every property back and re-creates the custom entries in
    // ascending key order.
    void write() override;

private:
    AcDbDatabase* m_pDatabase;  // not owned
    bool m_bLoadedArx;
    bool m_bLoadedDbx;
};
