// The drawing information bound to one open drawing database: it makes the
// host-side drawing data record and collects the drawing's external
// references, blocks, layers, registered applications and revision marks.
#pragma once

#include <afx.h>

#include "DrawingInformation.h"

class AcDbDatabase;

class CARXDrawingInformation : public Pellam::CDrawingInformation {
public:
    CARXDrawingInformation();
    CARXDrawingInformation(AcDbDatabase* pDatabase, LPCTSTR sDrawingName);
    // Copies start with empty collections and a drawing data record of their
    // own: a holder stores the object first and builds the stored one.
    CARXDrawingInformation(const CARXDrawingInformation& other);
    CARXDrawingInformation& operator=(const CARXDrawingInformation& other);
    ~CARXDrawingInformation() override;

    void buildGREVBlocks() override;
    void buildBlocks() override;
    void buildLayers() override;
    void buildRegisteredApplications() override;

    AcDbDatabase* getDatabase() const { return m_pDatabase; }

private:
    AcDbDatabase* m_pDatabase;
    CString m_sDrawingName;
};
