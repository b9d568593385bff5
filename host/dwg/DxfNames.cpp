// Names and codes of the DXF form of a binary drawing.
#include "DxfNames.h"

namespace brevant::dwg {

const char* codePageName(uint16_t index) {
    static const char* const kNames[] = {
        "ANSI_1252", "ASCII",     "ISO8859-1", "ISO8859-2", "ISO8859-3", "ISO8859-4", "ISO8859-5",
        "ISO8859-6", "ISO8859-7", "ISO8859-8", "ISO8859-9", "DOS437",    "DOS850",    "DOS852",
        "DOS855",    "DOS857",    "DOS860",    "DOS861",    "DOS863",    "DOS864",    "DOS865",
        "DOS869",    "DOS932",    "MACINTOSH", "BIG5",      "KSC5601",   "JOHAB",     "DOS866",
        "ANSI_1250", "ANSI_1251", "ANSI_1252", "GB2312",    "ANSI_1253", "ANSI_1254", "ANSI_1255",
        "ANSI_1256", "ANSI_1257", "ANSI_874",  "ANSI_932",  "ANSI_936",  "ANSI_949",  "ANSI_950",
        "ANSI_1361", "ANSI_1200", "ANSI_1258",
    };
    return index < sizeof kNames / sizeof kNames[0] ? kNames[index] : "ANSI_1252";
}

int lineWeight(unsigned index) {
    static const int kWeights[] = {0,  5,  9,  13, 15, 18,  20,  25,  30,  35,  40,  50,
                                   53, 60, 70, 80, 90, 100, 106, 120, 140, 158, 200, 211};
    if (index < sizeof kWeights / sizeof kWeights[0])
        return kWeights[index];
    if (index == 29)
        return -1;
    if (index == 30)
        return -2;
    return -3;
}

std::vector<const char*> subclassesOf(uint16_t type) {
    switch (type) {
        case 0x0A:
            return {"AcDbVertex", "AcDb2dVertex"};
        case 0x0B:
            return {"AcDbVertex", "AcDb3dPolylineVertex"};
        case 0x0C:
            return {"AcDbVertex", "AcDbPolygonMeshVertex"};
        case 0x0D:
            return {"AcDbVertex", "AcDbPolyFaceMeshVertex"};
        case 0x0E:
            return {"AcDbFaceRecord"};
        case 0x0F:
            return {"AcDb2dPolyline"};
        case 0x10:
            return {"AcDb3dPolyline"};
        case 0x11:
            return {"AcDbCircle", "AcDbArc"};
        case 0x12:
            return {"AcDbCircle"};
        case 0x13:
            return {"AcDbLine"};
        case 0x14:
            return {"AcDbDimension", "AcDbOrdinateDimension"};
        case 0x15:
            return {"AcDbDimension", "AcDbAlignedDimension", "AcDbRotatedDimension"};
        case 0x16:
            return {"AcDbDimension", "AcDbAlignedDimension"};
        case 0x17:
            return {"AcDbDimension", "AcDb3PointAngularDimension"};
        case 0x18:
            return {"AcDbDimension", "AcDb2LineAngularDimension"};
        case 0x19:
            return {"AcDbDimension", "AcDbRadialDimension"};
        case 0x1A:
            return {"AcDbDimension", "AcDbDiametricDimension"};
        case 0x1B:
            return {"AcDbPoint"};
        case 0x1C:
            return {"AcDbFace"};
        case 0x1D:
            return {"AcDbPolyFaceMesh"};
        case 0x1E:
            return {"AcDbPolygonMesh"};
        case 0x1F:
        case 0x20:
            return {"AcDbTrace"};
        case 0x21:
            return {"AcDbShape"};
        case 0x22:
            return {"AcDbViewport"};
        case 0x23:
            return {"AcDbEllipse"};
        case 0x24:
            return {"AcDbSpline"};
        case 0x25:
        case 0x27:
            return {"AcDbModelerGeometry"};
        case 0x26:
            return {"AcDbModelerGeometry", "AcDb3dSolid"};
        case 0x28:
            return {"AcDbRay"};
        case 0x29:
            return {"AcDbXline"};
        case 0x2B:
            return {"AcDbOleFrame"};
        case 0x2C:
            return {"AcDbMText"};
        case 0x2D:
            return {"AcDbLeader"};
        case 0x2E:
            return {"AcDbFcf"};
        case 0x2F:
            return {"AcDbMline"};
        case 0x4A:
            return {"AcDbOle2Frame"};
        case 0x4D:
            return {"AcDbPolyline"};
        case 0x4E:
            return {"AcDbHatch"};
        default:
            return {};
    }
}

}  // namespace brevant::dwg
