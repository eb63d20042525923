// The bitmap cache: one shared bitmap per id, loaded from "bitmap\\" + id below the
// resource directory (a bitmap configuration file) and counted by reference.
#pragma once

#include "JXResCache.h"
#include "wce/types.h"

class CWceUiGenericBitmap;

// What the cache needs of the bitmap classes, which live above this library: they register
// one at start-up. Without one (a program linking only this library) no bitmap loads.
class CJxBitmapLoader {
public:
    // A new bitmap from a bitmap configuration file, or null (logged).
    virtual CWceUiGenericBitmap* LoadBitmap(LPCWSTR pConfPath) = 0;
    // Loads the configuration into the existing bitmap (a skin change); on failure the
    // bitmap is left as it was (logged).
    virtual BOOL ReloadBitmap(CWceUiGenericBitmap* pBitmap, LPCWSTR pConfPath) = 0;
    virtual void DeleteBitmap(CWceUiGenericBitmap* pBitmap) = 0;

protected:
    ~CJxBitmapLoader() = default;
};

void JxSetBitmapLoader(CJxBitmapLoader* pLoader);
CJxBitmapLoader* JxGetBitmapLoader();

class CJxBitmapResLoader : public CJxResCache {
public:
    CJxBitmapResLoader();
    ~CJxBitmapResLoader() override;

    // A '/' in the id counts as '\\'.
    CWceUiGenericBitmap* GetBitmap(LPCWSTR pBitmapID);
    BOOL ReleaseBitmap(CWceUiGenericBitmap* pBitmap);
    // Reloads every bitmap in place from the current resource directory. FALSE when any
    // failed (the others are reloaded all the same) or no directory is set.
    BOOL ChangeSkin();

private:
    void* impLoad(LPCWSTR pID) override;
    void impDelete(void* pObject) override;
};

// Through the framework's cache; none after it is gone at exit.
CWceUiGenericBitmap* WceUiGetBitmap(LPCWSTR pBitmapID);
void WceUiReleaseBitmap(CWceUiGenericBitmap* pBitmap);
