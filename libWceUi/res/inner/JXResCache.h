// What the bitmap, color and font caches share: entries by id, counted by reference, found
// again by object on release, and the messages for misuse and for leaks at exit.
#pragma once

#include "JXMap.h"
#include "JXMapStringToType.h"
#include "QuickString.h"
#include "wce/types.h"

class CJxResCache {
public:
    int GetCount() const { return m_IdMap.GetCount(); }
    // The count of the entry holding pObject; -1 when there is none.
    int GetRefCount(const void* pObject) const;

protected:
    struct CEntry {
        void* pObject;
        LONG nRefs;
        CQuickString strID;  // the key of the id map points here
    };

    // pKind names the cache in its messages: "Bitmap", "Color" or "Font".
    explicit CJxResCache(LPCWSTR pKind);
    // Derived destructors call impDestroyAll first: deleting needs their impDelete.
    virtual ~CJxResCache();
    CJxResCache(const CJxResCache&) = delete;
    CJxResCache& operator=(const CJxResCache&) = delete;

    // The shared object of the id (count + 1), loaded with impLoad on first use; null when
    // the resource directory is not set or the load fails.
    void* impGet(LPCWSTR pID);
    // The cached object of the id (count + 1) without loading anything; null when absent.
    void* impGetCached(LPCWSTR pID);
    // Count - 1; at 0 the entry goes and its object is deleted. FALSE (logged) when pObject
    // is not an object of this cache.
    BOOL impRelease(void* pObject);
    // Logs every entry still present, then frees everything.
    void impDestroyAll();

    // The full path of a resource: resource directory + pSubDir + pID. FALSE when no
    // resource directory is set (logged).
    static BOOL impGetResPath(CQuickString& strPath, LPCWSTR pSubDir, LPCWSTR pID);
    static BOOL impCheckResDir();

    // Walks every entry (ChangeSkin).
    JXPOSITION impGetStart() const { return m_IdMap.GetStartPosition(); }
    CEntry* impGetNext(JXPOSITION& rPos) const;

    virtual void* impLoad(LPCWSTR pID) = 0;
    virtual void impDelete(void* pObject) = 0;

private:
    LPCWSTR m_pKind;
    JXMapStringToType<CEntry*> m_IdMap;
    JXMap<void*, CEntry*> m_ObjectMap;
};

// The same id with every '/' turned into '\\' (bitmap and font ids name files).
BOOL JxMakeFileID(CQuickString& strID, LPCWSTR pID);
