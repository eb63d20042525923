#include "JXPackedFileMgr.h"

#include <new>

#include "JXCheck.h"
#include "JXPackedFile.h"
#include "wce/wstring.h"

namespace {

// A skin names one or two archives: a small table is plenty.
const UINT kBuckets = 17;
const int kAssocsPerBlock = 10;

}  // namespace

CJxPackedFileMgr::CJxPackedFileMgr() : m_mapPackedFiles(kAssocsPerBlock) { m_mapPackedFiles.InitHashTable(kBuckets, FALSE); }

CJxPackedFileMgr::~CJxPackedFileMgr()
{
    LPCWSTR pKey = NULL;
    CJxPackedFile* pPackedFile = NULL;
    for (JXPOSITION pos = m_mapPackedFiles.GetStartPosition(); pos;) {
        m_mapPackedFiles.GetNextAssoc(pos, pKey, pPackedFile);
        delete pPackedFile;
    }
    m_mapPackedFiles.RemoveAll();
}

namespace {

// The map's key: the archive path in lower case (the caller checked that it fits).
void MakeKey(LPCWSTR pPackPath, WCHAR (&szKey)[MAX_PATH])
{
    WStrCopy(szKey, MAX_PATH, pPackPath);
    WStrLowerInPlace(szKey);
}

}  // namespace

CJxPackedFile* CJxPackedFileMgr::FindPackedFile(LPCWSTR pPackPath) const
{
    if (!WCEUI_CHECK("CJxPackedFileMgr::FindPackedFile", NULL != pPackPath)) return NULL;
    if (WStrLen(pPackPath) >= MAX_PATH) return NULL;
    WCHAR szKey[MAX_PATH];
    MakeKey(pPackPath, szKey);
    CJxPackedFile* pPackedFile = NULL;
    return m_mapPackedFiles.Lookup(szKey, pPackedFile) ? pPackedFile : NULL;
}

CJxPackedFile* CJxPackedFileMgr::GetPackedFile(LPCWSTR pPackPath)
{
    if (!WCEUI_CHECK("CJxPackedFileMgr::GetPackedFile", NULL != pPackPath)) return NULL;
    if (!WCEUI_CHECK("CJxPackedFileMgr::GetPackedFile", WStrLen(pPackPath) < MAX_PATH)) return NULL;
    WCHAR szKey[MAX_PATH];
    MakeKey(pPackPath, szKey);

    CJxPackedFile* pPackedFile = NULL;
    if (m_mapPackedFiles.Lookup(szKey, pPackedFile)) return pPackedFile;
    pPackedFile = new (std::nothrow) CJxPackedFile(szKey);
    if (!WCEUI_CHECK("CJxPackedFileMgr::GetPackedFile", NULL != pPackedFile)) return NULL;
    if (!m_mapPackedFiles.SetAt(szKey, pPackedFile, TRUE)) {
        delete pPackedFile;
        return NULL;
    }
    return pPackedFile;
}
