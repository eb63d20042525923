#include "JXCheck.h"

#include "JXWriteLogFile.h"
#include "wce/format.h"
#include "wce/timesync.h"

bool JxAssertFailed(const char* pFile, int nLine, const char* pCondition)
{
    WCHAR szText[512];
    WFormat(szText, sizeof(szText) / sizeof(szText[0]), u"\r\n*** ASSERTION FAILED in %S(%d):\r\n%S\r\n",
            pFile ? pFile : "", nLine, pCondition ? pCondition : "");
    OutputDebugStringW(szText);
    DebugBreak();
    return false;
}

bool JxCheckFailed(const char* pOperation, const char* pCondition, const char* pFile, int nLine)
{
    JxWriteLogA(JX_LOG_ERROR, "%s,check(%s)fail", pOperation ? pOperation : "", pCondition ? pCondition : "");
    return JxAssertFailed(pFile, nLine, pCondition);
}
