#include "JXGVar.h"

#include <new>

#include "JXBmp.h"
#include "JXCheck.h"
#include "JXGetBitmap.h"
#include "JXGetColor.h"
#include "JXGetFont.h"
#include "JXGlobalData.h"
#include "JXHandleDycInfo.h"
#include "JXIgnoreMsg.h"
#include "JXLanguage.h"
#include "JXPackedFileMgr.h"
#include "JXWriteLogFile.h"
#include "QoWndHelper.h"

CJxGVar* CJxGVar::GetInstance()
{
    // In static storage, not on the heap: there is no useful answer for "no globals" that every
    // caller could check, and the log is reached through here too, so this cannot be allowed
    // to fail. Never destroyed, so that whatever runs at exit still finds it.
    alignas(CJxGVar) static unsigned char s_Storage[sizeof(CJxGVar)];
    static CJxGVar* s_pGVar = new (s_Storage) CJxGVar();
    return s_pGVar;
}

// The one place that fixes the order of the services: each may use those above it. Each
// service is a function-local static, so it is destroyed at exit in reverse order.
// Services not written yet stay null until they arrive.
CJxGVar::CJxGVar()
{
    // 1. The log file (opens on its first message).
    static CJxWriteLogFile s_CJxWriteLogFile;
    m_pCJxWriteLogFile = &s_CJxWriteLogFile;

    // 2. The runtime-class registry. It already exists: static registration reaches it
    //    directly, long before the globals.
    m_pCJxHandleDycInfo = JxGetHandleDycInfo();

    // 3. The current language document.
    static CJxLanguage s_CJxLanguage;
    m_pCJxLanguage = &s_CJxLanguage;

    // 4. The settings.
    static CJxGlobalData s_CJxGlobalData;
    m_pCJxGlobalData = &s_CJxGlobalData;

    // 5. The ignore filter of the modal loops.
    static CJxIgnoreMsg s_CJxIgnoreMsg;
    m_pCJxIgnoreMsg = &s_CJxIgnoreMsg;

    // 6. Bitmap pixel-format data: the shared empty block and the DIB headers.
    static CInitJxBitmapData s_CInitJxBitmapData;
    m_pCInitJxBitmapData = &s_CInitJxBitmapData;

    // 7. The archive cache.
    static CJxPackedFileMgr s_CJxPackedFileMgr;
    m_pCJxPackedFileMgr = &s_CJxPackedFileMgr;

    // 8. The real-window helper.
    static CQoWndHelper s_CQoWndHelper;
    m_pCQoWndHelper = &s_CQoWndHelper;
    // 9. to 11. The bitmap, font and color caches.
    static CJxBitmapResLoader s_CJxBitmapResLoader;
    m_pCJxBitmapResLoader = &s_CJxBitmapResLoader;
    static CJxFontResLoader s_CJxFontResLoader;
    m_pCJxFontResLoader = &s_CJxFontResLoader;
    static CJxColorResLoader s_CJxColorResLoader;
    m_pCJxColorResLoader = &s_CJxColorResLoader;
}

void CJxGVar::ForgetService(const void* pService)
{
    if (pService == m_pCJxBitmapResLoader) m_pCJxBitmapResLoader = NULL;
    if (pService == m_pCJxFontResLoader) m_pCJxFontResLoader = NULL;
    if (pService == m_pCJxColorResLoader) m_pCJxColorResLoader = NULL;
}

CJxWriteLogFile* CJxGVar::GetCJxWriteLogFile() const
{
    // Only the assertion: a check would log through the missing log.
    JX_ASSERT(0 != m_pCJxWriteLogFile);
    return m_pCJxWriteLogFile;
}

CJxHandleDycInfo* CJxGVar::GetCJxHandleDycInfo() const
{
    WCEUI_CHECK("CJxGVar::GetCJxHandleDycInfo", 0 != m_pCJxHandleDycInfo);
    return m_pCJxHandleDycInfo;
}

CJxGlobalData* CJxGVar::GetCJxGlobalData() const
{
    WCEUI_CHECK("CJxGVar::GetCJxGlobalData", 0 != m_pCJxGlobalData);
    return m_pCJxGlobalData;
}

CJxIgnoreMsg* CJxGVar::GetCJxIgnoreMsg() const
{
    WCEUI_CHECK("CJxGVar::GetCJxIgnoreMsg", 0 != m_pCJxIgnoreMsg);
    return m_pCJxIgnoreMsg;
}

CQoWndHelper* CJxGVar::GetCQoWndHelper() const
{
    WCEUI_CHECK("CJxGVar::GetCQoWndHelper", 0 != m_pCQoWndHelper);
    return m_pCQoWndHelper;
}

CJxPackedFileMgr* CJxGVar::GetCJxPackedFileMgr() const
{
    WCEUI_CHECK("CJxGVar::GetCJxPackedFileMgr", 0 != m_pCJxPackedFileMgr);
    return m_pCJxPackedFileMgr;
}

CInitJxBitmapData* CJxGVar::GetCInitJxBitmapData() const
{
    WCEUI_CHECK("CJxGVar::GetCInitJxBitmapData", 0 != m_pCInitJxBitmapData);
    return m_pCInitJxBitmapData;
}

CJxLanguage* CJxGVar::GetCJxLanguage() const
{
    WCEUI_CHECK("CJxGVar::GetCJxLanguage", 0 != m_pCJxLanguage);
    return m_pCJxLanguage;
}
