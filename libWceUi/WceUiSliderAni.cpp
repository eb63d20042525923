#include "WceUiSliderAni.h"

CWceUiSliderAni::CWceUiSliderAni() : m_nFrameLength(33), m_nDirection(4) {}
BOOL CWceUiSliderAni::Init(CWceUiXmlElem* pElem) { return CWceUiWndAnimate::Init(pElem); }
BOOL CWceUiSliderAni::Play(CWceUiGenericBitmap*, CWceUiGenericBitmap*, CWceUiGenericBitmap*, int, DWORD*) { return FALSE; }
void CWceUiSliderAni::SetRandomParameter() {}
