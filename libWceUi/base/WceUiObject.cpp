#include "WceUiObject.h"

#include "JXCheck.h"
#include "JXWriteLogFile.h"

CWceUiClassNameMember::CWceUiClassNameMember(CWceUiObject* pOwner, LPCWSTR pClassName)
    : m_pClassName(pClassName),
      m_nOwnerOffset(static_cast<long>(reinterpret_cast<const char*>(this) - reinterpret_cast<const char*>(pOwner)))
{
    pOwner->SetClassName(pClassName);
}

CWceUiClassNameMember::CWceUiClassNameMember(const CWceUiClassNameMember& other)
    : m_pClassName(other.m_pClassName), m_nOwnerOffset(other.m_nOwnerOffset)
{
    // A class's members sit at the same offset in every object of that class.
    auto* pOwner = reinterpret_cast<CWceUiObject*>(reinterpret_cast<char*>(this) - m_nOwnerOffset);
    pOwner->SetClassName(m_pClassName);
}

BOOL WceUiIsClassCreatable(LPCWSTR pClassName)
{
    if (!WCEUI_CHECK("WceUiIsClassCreatable", NULL != pClassName)) return FALSE;
    const CJxClassInfo* pInfo = JxGetHandleDycInfo()->FindClassInfo(pClassName);
    return NULL != pInfo && NULL != pInfo->pFunc;
}

BOOL WceUiRegisterClass(PFN_WCEUI_CREATE_OBJECT pFunc, LPCWSTR pClassName, LPCWSTR pBaseClassName)
{
    if (!WCEUI_CHECK("WceUiRegisterClass", NULL != pFunc && NULL != pClassName && 0 != *pClassName)) return FALSE;
    if (!WCEUI_CHECK("WceUiRegisterClass", NULL != pBaseClassName && 0 != *pBaseClassName)) return FALSE;
    return JxGetHandleDycInfo()->RegisterClassInfo(pFunc, pClassName, pBaseClassName);
}

CWceUiObject* WceUiRefuseDynamicCreate()
{
    JxWriteLogW(JX_LOG_ERROR, u"you must use WCEUI_DYNCREATE_BEGIN/WCEUI_DYNCREATE_END for dynamic create "
                              u"object,not WCEUI_DYNAMIC_BEGIN/WCEUI_DYNAMIC_END.");
    return NULL;
}

// The class-name members set the name once m_pClassName exists.
CWceUiObject::CWceUiObject() : m_pClassName(NULL) {}

CWceUiObject::~CWceUiObject() {}

BOOL CWceUiObject::SetClassName(LPCWSTR pClassName)
{
    if (!WCEUI_CHECK("CWceUiObject::SetClassName", NULL != pClassName)) return FALSE;
    if (!WCEUI_CHECK("CWceUiObject::SetClassName", *pClassName)) return FALSE;
    m_pClassName = pClassName;
    return TRUE;
}

BOOL CWceUiObject::IsKindOf(LPCWSTR pBaseClassName) const
{
    if (!WCEUI_CHECK("CWceUiObject::IsKindOf", NULL != pBaseClassName)) return FALSE;
    if (!WCEUI_CHECK("CWceUiObject::IsKindOf", *pBaseClassName)) return FALSE;
    return JxGetHandleDycInfo()->IsKindOf(m_pClassName, pBaseClassName);
}

CWceUiObject* WceUiCreateObject(LPCWSTR pClassName)
{
    if (!WCEUI_CHECK("WceUiCreateObject", NULL != pClassName)) return NULL;
    if (!WCEUI_CHECK("WceUiCreateObject", *pClassName)) return NULL;
    return JxGetHandleDycInfo()->CreateObject(pClassName);
}
