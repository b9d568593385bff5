// Named system variables of the editor with typed values.
#include "Variable.h"

#include <cstdlib>
#include <cstring>

#include "GenericException.h"
#include "Messages.h"
#include "aced.h"

namespace Pellam {

namespace {

LPCTSTR typeName(int iType) {
    switch (iType) {
        case CVariable::TYPE_STRING:
            return _T("String");
        case CVariable::TYPE_SHORT:
            return _T("Short");
        case CVariable::TYPE_DOUBLE:
            return _T("Double");
        case CVariable::TYPE_POINT2D:
            return _T("2D Point");
        case CVariable::TYPE_POINT3D:
            return _T("3D Point");
        default:
            return _T("");
    }
}

CString realText(double dValue) {
    CString sText;
    sText.Format(_T("%.14g"), dValue);
    return sText;
}

}  // namespace

CVariable::CVariable(LPCTSTR sName)
    : m_sName(sName),
      m_iType(TYPE_NONE),
      m_iValue(0),
      m_dValue(0.0),
      m_point3D{0.0, 0.0, 0.0},
      m_point2D{0.0, 0.0} {}

CVariable::~CVariable() = default;

CVariable& CVariable::operator=(const CVariablePoint2D& point) {
    m_point2D = point;
    m_iType = TYPE_POINT2D;
    return *this;
}

CVariable& CVariable::operator=(const CVariablePoint3D& point) {
    m_point3D = point;
    m_iType = TYPE_POINT3D;
    return *this;
}

CVariable& CVariable::operator=(double dValue) {
    m_dValue = dValue;
    m_iType = TYPE_DOUBLE;
    return *this;
}

CVariable& CVariable::operator=(bool bValue) {
    m_iValue = bValue ? 1 : 0;
    m_iType = TYPE_SHORT;
    return *this;
}

CVariable& CVariable::operator=(short iValue) {
    m_iValue = iValue;
    m_iType = TYPE_SHORT;
    return *this;
}

CVariable& CVariable::operator=(const CString& sValue) {
    m_sValue = sValue;
    m_iType = TYPE_STRING;
    return *this;
}

CString CVariable::getString() const {
    return m_sValue;
}

short CVariable::getShort() const {
    return m_iValue;
}

bool CVariable::getBool() const {
    PELLAM_VERIFY((m_iValue == 1) || (m_iValue == 0));
    return m_iValue != 0;
}

double CVariable::getDouble() const {
    return m_dValue;
}

CVariablePoint3D CVariable::get3DPoint() const {
    return m_point3D;
}

CVariablePoint2D CVariable::get2DPoint() const {
    return m_point2D;
}

CString CVariable::describe() const {
    CString sValue;
    switch (m_iType) {
        case TYPE_STRING:
            sValue = m_sValue;
            break;
        case TYPE_SHORT:
            sValue.Format(_T("%i"), (int)m_iValue);
            break;
        case TYPE_DOUBLE:
            sValue = realText(m_dValue);
            break;
        case TYPE_POINT2D:
            sValue = realText(m_point2D.x) + _T(",") + realText(m_point2D.y);
            break;
        case TYPE_POINT3D:
            sValue = realText(m_point3D.x) + _T(",") + realText(m_point3D.y) + _T(",") +
                     realText(m_point3D.z);
            break;
        default:
            PELLAM_VERIFY(false);
            break;
    }
    CString sDescription;
    sDescription.Format(_T("%s value is : %s (%s)."), (LPCTSTR)m_sName, (LPCTSTR)sValue,
                        typeName(m_iType));
    return sDescription;
}

CARXVariable::CARXVariable(LPCTSTR sName) : CVariable(sName) {}

CARXVariable::~CARXVariable() = default;

CARXVariable& CARXVariable::operator=(const CVariablePoint2D& point) {
    CVariable::operator=(point);
    write();
    return *this;
}

CARXVariable& CARXVariable::operator=(const CVariablePoint3D& point) {
    CVariable::operator=(point);
    write();
    return *this;
}

CARXVariable& CARXVariable::operator=(double dValue) {
    CVariable::operator=(dValue);
    write();
    return *this;
}

CARXVariable& CARXVariable::operator=(bool bValue) {
    CVariable::operator=(bValue);
    write();
    return *this;
}

CARXVariable& CARXVariable::operator=(short iValue) {
    CVariable::operator=(iValue);
    write();
    return *this;
}

CARXVariable& CARXVariable::operator=(const CString& sValue) {
    CVariable::operator=(sValue);
    write();
    return *this;
}

CString CARXVariable::readString() {
    read();
    return m_sValue;
}

short CARXVariable::readShort() {
    read();
    return m_iValue;
}

void CARXVariable::read() {
    resbuf result;
    memset(&result, 0, sizeof(result));
    bool bRead = false;
    if (acedGetVar(m_sName, &result) == RTNORM) {
        bRead = true;
        switch (result.restype) {
            case RTREAL:
                m_dValue = result.resval.rreal;
                m_iType = TYPE_DOUBLE;
                break;
            case RTPOINT:
                m_point2D.x = result.resval.rpoint[0];
                m_point2D.y = result.resval.rpoint[1];
                m_iType = TYPE_POINT2D;
                break;
            case RTSHORT:
                m_iValue = result.resval.rint;
                m_iType = TYPE_SHORT;
                break;
            case RTSTR:
                m_sValue = result.resval.rstring;
                free(result.resval.rstring);
                m_iType = TYPE_STRING;
                break;
            case RT3DPOINT:
                m_point3D.x = result.resval.rpoint[0];
                m_point3D.y = result.resval.rpoint[1];
                m_point3D.z = result.resval.rpoint[2];
                m_iType = TYPE_POINT3D;
                break;
            default:
                bRead = false;
                break;
        }
    }
    if (!bRead) {
        throw new CARXVariableException(m_sName, CARXVariableException::OPERATION_READ);
    }
    Messages::trace(_T("Read - ") + describe());
}

void CARXVariable::write() {
    resbuf value;
    memset(&value, 0, sizeof(value));
    char* sCopy = NULL;
    bool bWritten = false;
    bool bBuilt = true;
    switch (m_iType) {
        case TYPE_STRING:
            sCopy = _strdup(m_sValue);
            value.restype = RTSTR;
            value.resval.rstring = sCopy;
            break;
        case TYPE_SHORT:
            value.restype = RTSHORT;
            value.resval.rint = m_iValue;
            break;
        case TYPE_DOUBLE:
            value.restype = RTREAL;
            value.resval.rreal = m_dValue;
            break;
        case TYPE_POINT2D:
            value.restype = RTPOINT;
            value.resval.rpoint[0] = m_point2D.x;
            value.resval.rpoint[1] = m_point2D.y;
            value.resval.rpoint[2] = 0.0;
            break;
        case TYPE_POINT3D:
            value.restype = RT3DPOINT;
            value.resval.rpoint[0] = m_point3D.x;
            value.resval.rpoint[1] = m_point3D.y;
            value.resval.rpoint[2] = m_point3D.z;
            break;
        default:
            bBuilt = false;  // nothing assigned yet: nothing to write
            break;
    }
    if (bBuilt) {
        bWritten = (acedSetVar(m_sName, &value) == RTNORM);
    }
    if (sCopy != NULL) {
        free(sCopy);
    }
    Messages::trace(_T("Written - ") + describe());
    if (!bWritten) {
        throw new CARXVariableException(m_sName, CARXVariableException::OPERATION_WRITE);
    }
}

}  // namespace Pellam
