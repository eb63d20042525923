#include "JXHandleDycInfo.h"

#include <new>

#include "JXCheck.h"
#include "JXWriteLogFile.h"
#include "wce/wstring.h"

CJxHandleDycInfo::CJxHandleDycInfo() : m_ClassMap(10), m_pLastClassName(NULL)
{
    m_ClassMap.InitHashTable(HASH_TABLE_SIZE, TRUE);
}

CJxHandleDycInfo::~CJxHandleDycInfo()
{
    JXPOSITION position = m_ClassMap.GetStartPosition();
    while (position) {
        LPCWSTR pName = NULL;
        CJxClassInfo* pInfo = NULL;
        m_ClassMap.GetNextAssoc(position, pName, pInfo);
        delete pInfo;
    }
    m_ClassMap.RemoveAll();
}

CJxClassInfo* CJxHandleDycInfo::FindOrAddClassInfo(LPCWSTR pClassName)
{
    CJxClassInfo* pInfo = NULL;
    if (m_ClassMap.Lookup(pClassName, pInfo)) return pInfo;
    pInfo = new (std::nothrow) CJxClassInfo();
    if (!JX_ASSERT(NULL != pInfo)) return NULL;
    if (!JX_ASSERT(m_ClassMap.SetAt(pClassName, pInfo))) {
        delete pInfo;
        return NULL;
    }
    return pInfo;
}

BOOL CJxHandleDycInfo::RegisterClassInfo(PFN_WCEUI_CREATE_OBJECT pFunc, LPCWSTR pClassName, LPCWSTR pBaseClassName)
{
    // Every translation unit that sees a class registers it again; most repeats follow
    // each other directly.
    if (pClassName == m_pLastClassName) return TRUE;
    if (!JX_ASSERT(0 != pFunc) || !JX_ASSERT(NULL != pClassName && 0 != *pClassName) ||
        !JX_ASSERT(NULL != pBaseClassName && 0 != *pBaseClassName))
        return FALSE;

    CJxClassInfo* pInfo = FindOrAddClassInfo(pClassName);
    if (NULL == pInfo) return FALSE;
    pInfo->pFunc = pFunc;
    if (0 == WStrCmp(pBaseClassName, u"0")) {
        pInfo->pBaseClassInfo = NULL;
    } else {
        // A base that has not registered yet gets an empty record, completed when it does.
        CJxClassInfo* pBaseInfo = FindOrAddClassInfo(pBaseClassName);
        if (NULL == pBaseInfo) return FALSE;
        pInfo->pBaseClassInfo = pBaseInfo;
    }
    m_pLastClassName = pClassName;
    return TRUE;
}

const CJxClassInfo* CJxHandleDycInfo::FindClassInfo(LPCWSTR pClassName) const
{
    CJxClassInfo* pInfo = NULL;
    return (pClassName && m_ClassMap.Lookup(pClassName, pInfo)) ? pInfo : NULL;
}

BOOL CJxHandleDycInfo::IsKindOf(LPCWSTR pClassName, LPCWSTR pBaseClassName) const
{
    if (!JX_ASSERT(0 != pClassName) || !JX_ASSERT(0 != pBaseClassName)) return FALSE;
    // The same literal is the common case: the class asked about is the object's own.
    if (pClassName == pBaseClassName || 0 == WStrCmp(pClassName, pBaseClassName)) return TRUE;
    const CJxClassInfo* pClassInfo = FindClassInfo(pClassName);
    const CJxClassInfo* pBaseClassInfo = FindClassInfo(pBaseClassName);
    if (!JX_ASSERT(0 != pClassInfo) || !JX_ASSERT(0 != pBaseClassInfo)) return FALSE;
    // Bounded by the number of classes, so that a mistaken cycle cannot hang the walk.
    int nSteps = m_ClassMap.GetCount();
    for (const CJxClassInfo* pInfo = pClassInfo; pInfo && nSteps-- >= 0; pInfo = pInfo->pBaseClassInfo)
        if (pInfo == pBaseClassInfo) return TRUE;
    return FALSE;
}

CWceUiObject* CJxHandleDycInfo::CreateObject(LPCWSTR pClassName) const
{
    const CJxClassInfo* pInfo = FindClassInfo(pClassName);
    if (NULL == pInfo || NULL == pInfo->pFunc) {
        JxWriteLogW(JX_LOG_ERROR, u"can not create class:%s, check WCEUI_DYNCREATE_BEGIN/ WCEUI_DYNCREATE_END",
                    pClassName ? pClassName : u"");
        return NULL;
    }
    return pInfo->pFunc();
}

void CJxHandleDycInfo::GetNextClass(JXPOSITION& rPosition, LPCWSTR& rClassName, const CJxClassInfo*& rClassInfo) const
{
    CJxClassInfo* pInfo = NULL;
    m_ClassMap.GetNextAssoc(rPosition, rClassName, pInfo);
    rClassInfo = pInfo;
}

CJxHandleDycInfo* JxGetHandleDycInfo()
{
    static CJxHandleDycInfo s_CJxHandleDycInfo;
    return &s_CJxHandleDycInfo;
}
