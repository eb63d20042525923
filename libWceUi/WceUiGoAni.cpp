#include "WceUiGoAni.h"

CWceUiGoAni::CWceUiGoAni() : m_nFrameLength(33), m_nDirection(2) {}
BOOL CWceUiGoAni::Init(CWceUiXmlElem* pElem) { return CWceUiWndAnimate::Init(pElem); }
BOOL CWceUiGoAni::Play(CWceUiGenericBitmap*, CWceUiGenericBitmap*, CWceUiGenericBitmap*, int, DWORD*) { return FALSE; }
void CWceUiGoAni::SetRandomParameter() {}
void CWceUiGoAni::SetDirection(UINT n) { m_nDirection = n; }
