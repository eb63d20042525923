#include "JXResCache.h"

#include <new>

#include "JXCheck.h"
#include "JXGVar.h"
#include "JXGlobalData.h"
#include "JXWriteLogFile.h"
#include "wce/timesync.h"

CJxResCache::CJxResCache(LPCWSTR pKind) : m_pKind(pKind)
{
    m_IdMap.InitHashTable(17, FALSE);
    m_ObjectMap.InitHashTable(17, FALSE);
}

CJxResCache::~CJxResCache() { JX_ASSERT(m_IdMap.IsEmpty()); }

int CJxResCache::GetRefCount(const void* pObject) const
{
    CEntry* pEntry = NULL;
    if (!m_ObjectMap.Lookup(const_cast<void*>(pObject), pEntry)) return -1;
    return pEntry->nRefs;
}

BOOL CJxResCache::impCheckResDir()
{
    LPCWSTR pResDir = CJxGVar::GetInstance()->GetCJxGlobalData()->GetResDir();
    if (pResDir && *pResDir) return TRUE;
    JxWriteLogW(JX_LOG_ERROR, u"please set the resource directory use WceUiInit or WceUiChangeResDir");
    return FALSE;
}

BOOL CJxResCache::impGetResPath(CQuickString& strPath, LPCWSTR pSubDir, LPCWSTR pID)
{
    if (!impCheckResDir()) return FALSE;
    return strPath.SetString(CJxGVar::GetInstance()->GetCJxGlobalData()->GetResDir()) && strPath.Append(pSubDir) &&
           strPath.Append(pID);
}

void* CJxResCache::impGetCached(LPCWSTR pID)
{
    CEntry* pEntry = NULL;
    if (!m_IdMap.Lookup(pID, pEntry)) return NULL;
    InterlockedIncrement(&pEntry->nRefs);
    return pEntry->pObject;
}

void* CJxResCache::impGet(LPCWSTR pID)
{
    // Entries exist only while a directory is set (it cannot be unset): a hit needs no check.
    if (void* pCached = impGetCached(pID)) return pCached;
    if (!impCheckResDir()) return NULL;
    void* pObject = impLoad(pID);
    if (!pObject) return NULL;
    CEntry* pEntry = new (std::nothrow) CEntry{pObject, 0, CQuickString()};
    if (!pEntry || !pEntry->strID.SetString(pID) || !m_IdMap.SetAt(pEntry->strID, pEntry)) {
        delete pEntry;
        impDelete(pObject);
        return NULL;
    }
    if (!m_ObjectMap.SetAt(pObject, pEntry)) {
        m_IdMap.RemoveKey(pEntry->strID);
        delete pEntry;
        impDelete(pObject);
        return NULL;
    }
    InterlockedIncrement(&pEntry->nRefs);
    return pEntry->pObject;
}

BOOL CJxResCache::impRelease(void* pObject)
{
    CEntry* pEntry = NULL;
    if (!pObject || !m_ObjectMap.Lookup(pObject, pEntry)) {
        JxWriteLogW(JX_LOG_ERROR, u"call WceUiRelease%s Release but pWceUi%s not found", m_pKind, m_pKind);
        return FALSE;
    }
    if (InterlockedDecrement(&pEntry->nRefs) > 0) return TRUE;
    m_ObjectMap.RemoveKey(pObject);
    m_IdMap.RemoveKey(pEntry->strID);
    delete pEntry;
    impDelete(pObject);
    return TRUE;
}

CJxResCache::CEntry* CJxResCache::impGetNext(JXPOSITION& rPos) const
{
    LPCWSTR pKey;
    CEntry* pEntry = NULL;
    m_IdMap.GetNextAssoc(rPos, pKey, pEntry);
    return pEntry;
}

void CJxResCache::impDestroyAll()
{
    for (JXPOSITION pos = m_IdMap.GetStartPosition(); pos;) {
        CEntry* pEntry = impGetNext(pos);
        JxWriteLogW(JX_LOG_ERROR, u"%s is not released, reference count is %d. call WceUiRelease%s to release",
                    pEntry->strID.GetString(), static_cast<int>(pEntry->nRefs), m_pKind);
        impDelete(pEntry->pObject);
        delete pEntry;
    }
    m_ObjectMap.RemoveAll();
    m_IdMap.RemoveAll();
}

BOOL JxMakeFileID(CQuickString& strID, LPCWSTR pID)
{
    CQuickString strTurned;
    for (LPCWSTR p = pID; *p; ++p)
        if (!strTurned.AppendChar(u'/' == *p ? u'\\' : *p)) return FALSE;
    strID = static_cast<CQuickString&&>(strTurned);
    return TRUE;
}
