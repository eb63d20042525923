// The framework's globals: one pointer to each framework service. The services come into
// being together, on the first use of the framework, in the order of the constructor.
#pragma once

#include "wce/types.h"

class CJxWriteLogFile;
class CJxHandleDycInfo;
class CJxLanguage;
class CJxGlobalData;
class CJxIgnoreMsg;
class CInitJxBitmapData;
class CJxPackedFileMgr;
class CQoWndHelper;
class CJxBitmapResLoader;
class CJxFontResLoader;
class CJxColorResLoader;

class CJxGVar {
public:
    // Built on the first call and never destroyed (the services themselves are statics
    // that go away at process exit, newest first).
    static CJxGVar* GetInstance();

    CJxWriteLogFile* GetCJxWriteLogFile() const;
    CJxHandleDycInfo* GetCJxHandleDycInfo() const;
    CJxLanguage* GetCJxLanguage() const;
    CJxGlobalData* GetCJxGlobalData() const;
    CJxIgnoreMsg* GetCJxIgnoreMsg() const;
    CQoWndHelper* GetCQoWndHelper() const;
    CInitJxBitmapData* GetCInitJxBitmapData() const;
    CJxPackedFileMgr* GetCJxPackedFileMgr() const;
    // The caches: null once they are gone at process exit, so that holders destroyed later
    // release nothing.
    CJxBitmapResLoader* GetCJxBitmapResLoader() const { return m_pCJxBitmapResLoader; }
    CJxFontResLoader* GetCJxFontResLoader() const { return m_pCJxFontResLoader; }
    CJxColorResLoader* GetCJxColorResLoader() const { return m_pCJxColorResLoader; }
    // A service being destroyed says so: its pointer is cleared.
    void ForgetService(const void* pService);

private:
    CJxGVar();
    CJxGVar(const CJxGVar&) = delete;
    CJxGVar& operator=(const CJxGVar&) = delete;

    CJxWriteLogFile* m_pCJxWriteLogFile;
    CJxHandleDycInfo* m_pCJxHandleDycInfo;
    CJxLanguage* m_pCJxLanguage;
    CJxGlobalData* m_pCJxGlobalData;
    CJxIgnoreMsg* m_pCJxIgnoreMsg;
    CInitJxBitmapData* m_pCInitJxBitmapData;
    CJxPackedFileMgr* m_pCJxPackedFileMgr;
    CQoWndHelper* m_pCQoWndHelper;
    CJxBitmapResLoader* m_pCJxBitmapResLoader;
    CJxFontResLoader* m_pCJxFontResLoader;
    CJxColorResLoader* m_pCJxColorResLoader;
};
