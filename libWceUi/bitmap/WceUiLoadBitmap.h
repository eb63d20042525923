// A bitmap named by resource id (shared through the bitmap cache, acquired on first use) or
// a private copy of an application's bitmap. A holder left without memory (logged) holds
// nothing.
#pragma once

#include "wce/types.h"

class CWceUiGenericBitmap;

class CWceUiLoadBitmap {
public:
    enum { SOURCE_RES = 100, SOURCE_APP = 101 };

    CWceUiLoadBitmap();
    explicit CWceUiLoadBitmap(LPCWSTR pBitmapID);
    // A copy of the application's bitmap (its own copy operation).
    explicit CWceUiLoadBitmap(CWceUiGenericBitmap* pBitmap);
    CWceUiLoadBitmap(const CWceUiLoadBitmap& other);
    virtual ~CWceUiLoadBitmap();
    CWceUiLoadBitmap& operator=(const CWceUiLoadBitmap& other);

    // The same id again (ignoring case) changes nothing; otherwise the holder is cleaned and
    // keeps the id, acquiring nothing yet.
    void SetBitmapFromRes(LPCWSTR pBitmapID);
    void SetBitmapFromApp(CWceUiGenericBitmap* pBitmap);
    // Acquires the shared bitmap on first use; null (logged) when it does not load, tried
    // again on the next call.
    CWceUiGenericBitmap* GetBitmap();
    // Lets go of a shared bitmap but keeps the id; a private bitmap stays.
    void FreeBmpRes();
    // Releases or deletes what is held; afterwards SOURCE_APP with nothing.
    void Clean();

    int GetSource() const;
    // The id for SOURCE_RES, else empty.
    LPCWSTR GetBitmapID() const;
    // The bitmap held now, without acquiring.
    CWceUiGenericBitmap* PeekBitmap() const;

private:
    struct CData;
    CData* GetData() const { return m_pData; }
    void impCopyApp(CWceUiGenericBitmap* pBitmap, LPCWSTR pOperation);

    CData* m_pData;
};
