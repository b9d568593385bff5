// A named system variable of the editor with a typed value: CVariable holds
// the name and the value, CARXVariable reads it from and writes it to the
// editor.
#pragma once

#include <afx.h>

namespace Pellam {

struct CVariablePoint2D {
    double x;
    double y;
};

struct CVariablePoint3D {
    double x;
    double y;
    double z;
};

class CVariable {
public:
    // Which value is current.
    enum Type {
        TYPE_NONE = 0,
        TYPE_STRING = 1,
        TYPE_SHORT = 2,
        TYPE_DOUBLE = 3,
        TYPE_POINT2D = 4,
        TYPE_POINT3D = 5
    };

    explicit CVariable(LPCTSTR sName);
    CVariable(const CVariable&) = default;

    // Assignments store the value and make its type current.
    virtual CVariable& operator=(const CVariablePoint2D& point);
    virtual CVariable& operator=(const CVariablePoint3D& point);
    virtual CVariable& operator=(double dValue);
    virtual CVariable& operator=(bool bValue);  // kept as the short 0 or 1
    virtual CVariable& operator=(short iValue);
    virtual CVariable& operator=(const CString& sValue);
    // A text literal is a text, not a bool.
    CVariable& operator=(LPCTSTR sValue) { return operator=(CString(sValue)); }
    CVariable& operator=(const CVariable&) = default;
    virtual ~CVariable();

    // The stored values, whatever the current type.
    virtual CString getString() const;
    virtual short getShort() const;
    virtual bool getBool() const;  // checks that the short is 0 or 1
    virtual double getDouble() const;
    virtual CVariablePoint3D get3DPoint() const;
    virtual CVariablePoint2D get2DPoint() const;

    const CString& getName() const { return m_sName; }
    int getType() const { return m_iType; }

    // "<name> value is : <value> (<type name>)."
    CString describe() const;

protected:
    CString m_sName;
    int m_iType;
    CString m_sValue;
    short m_iValue;
    double m_dValue;
    CVariablePoint3D m_point3D;
    CVariablePoint2D m_point2D;
};

class CARXVariable : public CVariable {
public:
    explicit CARXVariable(LPCTSTR sName);

    // Each assignment also writes the variable to the editor; a failed write
    // throws CARXVariableException* (operation write).
    CARXVariable& operator=(const CVariablePoint2D& point) override;
    CARXVariable& operator=(const CVariablePoint3D& point) override;
    CARXVariable& operator=(double dValue) override;
    CARXVariable& operator=(bool bValue) override;
    CARXVariable& operator=(short iValue) override;
    CARXVariable& operator=(const CString& sValue) override;
    CARXVariable& operator=(LPCTSTR sValue) { return operator=(CString(sValue)); }
    ~CARXVariable() override;

    // Read the variable from the editor, then give the text or the short.
    // A failed read throws CARXVariableException* (operation read).
    CString readString();
    short readShort();

    // Reads the variable from the editor into the value of its type.
    void read();
    // Writes the current value to the editor.
    void write();
};

}  // namespace Pellam
