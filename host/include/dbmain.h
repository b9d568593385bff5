// The drawing database. (First outline: the calls the editor's documents need;
// the database's owner extends this header with objects, tables and the rest.)
#pragma once

#include "rxobject.h"
#include "acadstrc.h"

class AcDbDatabase : public AcRxObject {
public:
    // buildDefaultDrawing: a new drawing with the default tables and layouts;
    // false: an empty database for readDwgFile.
    explicit AcDbDatabase(bool buildDefaultDrawing = true, bool noDocument = false);
    ~AcDbDatabase() override;

    // Reads a drawing file. The editor keeps drawings as ASCII DXF whatever the
    // extension; a malformed file gives an error status and a text naming the
    // line (lastErrorText).
    Acad::ErrorStatus readDwgFile(const char* fileName);
    // Writes the drawing to the file, in the release it was read in.
    Acad::ErrorStatus saveAs(const char* fileName);

    // The name the drawing was last read from or saved to; eNoFileName for a
    // new drawing that was never saved.
    Acad::ErrorStatus getFilename(const char*& pOutput) const;
    const char* originalFileName() const;

    // The project name kept in the drawing. getProjectName hands out a copy
    // that the caller releases with acutDelString.
    Acad::ErrorStatus getProjectName(char*& pOutput) const;
    Acad::ErrorStatus setProjectName(const char* pValue);

    // Host side only: the reason the last readDwgFile or saveAs failed.
    const char* lastErrorText() const;

private:
    struct Impl;
    Impl* m_pImpl;
};
