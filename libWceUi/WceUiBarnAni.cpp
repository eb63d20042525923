#include "WceUiBarnAni.h"

CWceUiBarnAni::CWceUiBarnAni() : m_nFrameLength(33), m_nDirection(2) {}
BOOL CWceUiBarnAni::Init(CWceUiXmlElem* pElem) { return CWceUiWndAnimate::Init(pElem); }
BOOL CWceUiBarnAni::Play(CWceUiGenericBitmap*, CWceUiGenericBitmap*, CWceUiGenericBitmap*, int, DWORD*) { return FALSE; }
void CWceUiBarnAni::SetRandomParameter() {}
