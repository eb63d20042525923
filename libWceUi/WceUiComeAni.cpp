#include "WceUiComeAni.h"

CWceUiComeAni::CWceUiComeAni() : m_nFrameLength(33), m_nDirection(2) {}
BOOL CWceUiComeAni::Init(CWceUiXmlElem* pElem) { return CWceUiWndAnimate::Init(pElem); }
BOOL CWceUiComeAni::Play(CWceUiGenericBitmap*, CWceUiGenericBitmap*, CWceUiGenericBitmap*, int, DWORD*) { return FALSE; }
void CWceUiComeAni::SetRandomParameter() {}
void CWceUiComeAni::SetDirection(UINT n) { m_nDirection = n; }
