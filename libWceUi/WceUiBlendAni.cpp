#include "WceUiBlendAni.h"

CWceUiBlendAni::CWceUiBlendAni() : m_nFrameLength(33) {}
BOOL CWceUiBlendAni::Init(CWceUiXmlElem* pElem) { return CWceUiWndAnimate::Init(pElem); }
BOOL CWceUiBlendAni::Play(CWceUiGenericBitmap*, CWceUiGenericBitmap*, CWceUiGenericBitmap*, int, DWORD*) { return FALSE; }
