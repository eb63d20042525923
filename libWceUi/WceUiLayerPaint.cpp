// CWceUiLayer: painting.
#include "JXCheck.h"
#include "JXWriteLogFile.h"
#include "WceUiGenericBitmap.h"
#include "WceUiLayer.h"
#include "WceUiLayerCtrl.h"
#include "WceUiLayerData.h"

void CWceUiLayer::OnDraw(CWceUiGenericBitmap* pWndBitmap, RECT rcDraw)
{
    (void)rcDraw;
    if (!WCEUI_CHECK("CWceUiLayer::OnDraw", IsReDraw())) return;
    OnDrawBackGround(pWndBitmap, FALSE);
    OnDrawBgImgs(pWndBitmap, FALSE);
    OnDrawText(pWndBitmap, FALSE);
    OnDrawExtra(pWndBitmap, FALSE);
    OnDrawMixColorFilter(pWndBitmap, FALSE);
}

void CWceUiLayer::OnDrawBackGround(CWceUiGenericBitmap* pDrawBitmap, BOOL bClient) { (void)pDrawBitmap, (void)bClient; }
void CWceUiLayer::OnDrawBgImgs(CWceUiGenericBitmap* pDrawBitmap, BOOL bClient) { (void)pDrawBitmap, (void)bClient; }
void CWceUiLayer::OnDrawText(CWceUiGenericBitmap* pDrawBitmap, BOOL bClient) { (void)pDrawBitmap, (void)bClient; }
void CWceUiLayer::OnDrawMixColorFilter(CWceUiGenericBitmap* pDrawBitmap, BOOL bClient)
{
    (void)pDrawBitmap, (void)bClient;
}
void CWceUiLayer::DrawOneBgImg(CWceUiBgItem* pBgItem, CWceUiGenericBitmap* pDrawBitmap, BOOL bClient)
{
    (void)pBgItem, (void)pDrawBitmap, (void)bClient;
}

BOOL CWceUiLayer::IsLayerTransparent() { return FALSE; }
BOOL CWceUiLayer::HasAlphaFilter() const { return FALSE; }
void CWceUiLayer::FreeBmpRes() {}
