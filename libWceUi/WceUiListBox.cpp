#include "WceUiListBox.h"

struct CWceUiListBoxData {};
CWceUiListBox::CWceUiListBox() : m_pData(NULL) { SetVertical(1); }
CWceUiListBox::~CWceUiListBox() {}
BOOL CWceUiListBox::SetProperties(CWceUiXmlElem* p) { return CWceUiScrollLayer::SetProperties(p); }
void CWceUiListBox::OnInitLayer() { CWceUiScrollLayer::OnInitLayer(); }
void CWceUiListBox::OnLoseCapture() { CWceUiScrollLayer::OnLoseCapture(); }
void CWceUiListBox::OnLButtonDown(UINT f, int x, int y) { CWceUiScrollLayer::OnLButtonDown(f, x, y); }
void CWceUiListBox::OnLButtonUp(UINT f, int x, int y) { CWceUiScrollLayer::OnLButtonUp(f, x, y); }
void CWceUiListBox::OnMouseMove(UINT f, int x, int y) { CWceUiScrollLayer::OnMouseMove(f, x, y); }
void CWceUiListBox::OnDrawText(CWceUiGenericBitmap* b, BOOL c) { (void)b, (void)c; }
void CWceUiListBox::DrawScrollBar(CWceUiGenericBitmap* b, const RECT& rc) { (void)b, (void)rc; }
int CWceUiListBox::AddString(LPCWSTR, BOOL) { return -1; }
void CWceUiListBox::ResetContent() {}
int CWceUiListBox::SetItemData(int, LPARAM) { return -1; }
LPARAM CWceUiListBox::GetItemData(int) const { return -1; }
BOOL CWceUiListBox::SetItemImage(int, CWceUiGenericBitmap*) { return FALSE; }
BOOL CWceUiListBox::SetItemState(int, DWORD, BOOL) { return FALSE; }
BOOL CWceUiListBox::GetItemState(int, DWORD*) const { return FALSE; }
LPCWSTR CWceUiListBox::GetItemText(int) const { return NULL; }
int CWceUiListBox::SetCurSel(int, BOOL) { return -1; }
int CWceUiListBox::GetCurSel() const { return -1; }
int CWceUiListBox::GetCount() const { return 0; }
int CWceUiListBox::GetPressedIndex() const { return -1; }
int CWceUiListBox::GetItemHeight() const { return 20; }
void CWceUiListBox::SetItemHeight(int) {}
void CWceUiListBox::SetCopyOnScroll(BOOL) {}
void CWceUiListBox::ShowScrollBar(BOOL) {}
void CWceUiListBox::InvalidateCache() {}
BOOL CWceUiListBox::IsCacheValid() const { return FALSE; }
void CWceUiListBox::impUpdateRange(BOOL) {}
void CWceUiListBox::impRepaintItem(int) {}
