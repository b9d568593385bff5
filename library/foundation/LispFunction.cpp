// One entry of a module's LISP function table.
#include "LispFunction.h"

#include "Messages.h"

CLispFunction::CLispFunction() : m_pFunction(NULL) {}

CLispFunction::CLispFunction(LPCTSTR sName, LispHandler pFunction)
    : m_sName(sName), m_pFunction(pFunction) {}

CLispFunction::~CLispFunction() = default;

CString CLispFunction::getName() const {
    PELLAM_VERIFY(!m_sName.IsEmpty());
    return m_sName;
}

LispHandler CLispFunction::getFunction() const {
    PELLAM_VERIFY(m_pFunction != NULL);
    return m_pFunction;
}
