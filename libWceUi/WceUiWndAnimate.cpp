#include "WceUiWndAnimate.h"

#include "WceUiCommon.h"

struct CWceUiWndAnimateData {
    BOOL bEnable = TRUE;
    RECT rcAnimate = {-65535, -65535, 65535, 65535};
    int nFrameCount = 12;
    WCHAR szName[64] = {};
};

CWceUiWndAnimate::CWceUiWndAnimate() : m_pData(new CWceUiWndAnimateData) {}
CWceUiWndAnimate::~CWceUiWndAnimate() { delete m_pData; }
BOOL CWceUiWndAnimate::Init(CWceUiXmlElem*) { return FALSE; }
BOOL CWceUiWndAnimate::ReStart(CWceUiGenericBitmap*, CWceUiGenericBitmap*, CWceUiGenericBitmap*) { return FALSE; }
BOOL CWceUiWndAnimate::SetName(LPCWSTR) { return FALSE; }
LPCWSTR CWceUiWndAnimate::GetName() const { return m_pData->szName; }
void CWceUiWndAnimate::SetFrameCount(int n) { m_pData->nFrameCount = n; }
int CWceUiWndAnimate::GetFrameCount() const { return m_pData->nFrameCount; }
void CWceUiWndAnimate::SetRect(const RECT& rc) { m_pData->rcAnimate = rc; }
void CWceUiWndAnimate::GetRect(RECT& rc) const { rc = m_pData->rcAnimate; }
const RECT& CWceUiWndAnimate::GetRect() const { return m_pData->rcAnimate; }
void CWceUiWndAnimate::SetEnable(BOOL b) { m_pData->bEnable = b; }
BOOL CWceUiWndAnimate::IsEnable() const { return m_pData->bEnable; }
BOOL CWceUiWndAnimate::CheckParameter(CWceUiGenericBitmap*, CWceUiGenericBitmap*, CWceUiGenericBitmap*) { return FALSE; }
CWceUiWndAnimate* CWceUiWndAnimate::GetRandomAnimate() { return NULL; }
BOOL CWceUiWndAnimate::RegisterRandomAnimate(LPCWSTR) { return FALSE; }
int CWceUiWndAnimate::GetRandomAnimateCount() { return 0; }
LPCWSTR CWceUiWndAnimate::GetRandomAnimateName(int) { return NULL; }
BOOL CWceUiWndAnimate::impBeginPlay(LPCWSTR, CWceUiGenericBitmap*, CWceUiGenericBitmap*, CWceUiGenericBitmap*, int,
                                    DWORD*, RECT*, BOOL*)
{
    return FALSE;
}
BOOL CWceUiWndAnimate::impReadFrameLength(LPCWSTR, CWceUiXmlElem*, DWORD*) { return FALSE; }
int CalcAnidisplacement(int, int, int) { return 0; }
