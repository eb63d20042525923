#include "Live.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "WceUiDlg.h"
#include "WceUiGenericBitmap.h"
#include "WceUiInit.h"
#include "WceUiLayerCtrl.h"
#include "WceUiListBox.h"
#include "WceUiRealWnd.h"
#include "WceUiWndAnimate.h"
#include "WceUiXml.h"
#include "wce/gdi.h"
#include "wce/platform.h"
#include "wce/wstring.h"

namespace fs = std::filesystem;

namespace {

// Window timer ids with the low 16 bits 0 never reach a layer.
const UINT kWatchTimer = 0x10000;
const UINT kWatchMs = 500;
// Posted to open the next --then dialog after a reload rebuilt the stack.
const UINT kOpenNextMsg = WM_APP + 17;
const UINT kVkF5 = 0x74;

struct Transition {
    std::u16string className;  // empty: random
    std::string direction;
    int frames = 0;  // 0: the kind's default
    int ms = 0;
};

bool ReadNumber(const std::string& text, int& out)
{
    if (text.empty() || text.size() > 5 || text.find_first_not_of("0123456789") != std::string::npos) return false;
    out = std::stoi(text);
    return out > 0;
}

std::string ParseTransition(const std::string& spec, Transition& t)
{
    std::vector<std::string> parts;
    size_t pos = 0;
    while (true) {
        size_t colon = spec.find(':', pos);
        parts.push_back(spec.substr(pos, colon == std::string::npos ? std::string::npos : colon - pos));
        if (colon == std::string::npos) break;
        pos = colon + 1;
    }
    if (parts.size() > 4) return "--transition takes KIND[:DIRECTION[:FRAMES[:MS]]]";
    static const std::pair<const char*, const char16_t*> kinds[] = {
        {"barn", u"CWceUiBarnAni"}, {"blend", u"CWceUiBlendAni"}, {"slider", u"CWceUiSliderAni"},
        {"come", u"CWceUiComeAni"}, {"go", u"CWceUiGoAni"},       {"random", u""}};
    bool known = false;
    for (const auto& k : kinds)
        if (parts[0] == k.first) t.className = k.second, known = true;
    if (!known) return "--transition: unknown kind '" + parts[0] + "' (barn, blend, slider, come, go, random)";
    if (parts.size() > 1) t.direction = parts[1];
    if (t.className.empty() && parts.size() > 1) return "--transition: random takes no direction, frames or length";
    if (parts.size() > 2 && !ReadNumber(parts[2], t.frames)) return "--transition: FRAMES must be a number above 0";
    if (parts.size() > 3 && !ReadNumber(parts[3], t.ms)) return "--transition: MS must be a number above 0";
    return "";
}

// A new animation as the style file would describe it, or null (the framework logs why).
CWceUiWndAnimate* MakeAnimate(const Transition& t, BOOL bIn)
{
    if (t.className.empty()) return CWceUiWndAnimate::GetRandomAnimate();
    std::u16string tag = bIn ? u"in" : u"out";
    std::u16string xml = u"<a><" + tag + u" type=\"" + t.className + u"\"";
    if (!t.direction.empty()) xml += u" direction=\"" + Utf8ToWide(t.direction) + u"\"";
    if (t.frames) xml += u" frame-count=\"" + Utf8ToWide(std::to_string(t.frames)) + u"\"";
    if (t.ms) xml += u" frame-length=\"" + Utf8ToWide(std::to_string(t.ms)) + u"\"";
    xml += u"/></a>";
    CWceUiXmlDoc doc;
    if (!doc.LoadXmlStr(xml.c_str()) || NULL == doc.GetRootElem()) return NULL;
    CWceUiXmlElem* pElem = doc.GetRootElem()->FindChild(tag.c_str());
    CWceUiObject* pObject = WceUiCreateObject(t.className.c_str());
    CWceUiWndAnimate* pAnimate = pObject && pObject->IsKindOf(u"CWceUiWndAnimate") ? static_cast<CWceUiWndAnimate*>(pObject) : NULL;
    if (NULL == pAnimate || NULL == pElem || !pAnimate->Init(pElem)) {
        delete pObject;
        return NULL;
    }
    return pAnimate;
}

// Modification time (ns) and size of every file of the skin, in path order.
std::vector<std::pair<std::string, std::pair<long long, std::uintmax_t>>> Signature(const std::string& skin)
{
    std::vector<std::pair<std::string, std::pair<long long, std::uintmax_t>>> sig;
    std::error_code ec;
    auto add = [&](const fs::path& p) {
        std::error_code e;
        auto t = fs::last_write_time(p, e);
        auto size = fs::file_size(p, e);
        long long ns = static_cast<long long>(std::chrono::duration_cast<std::chrono::nanoseconds>(t.time_since_epoch()).count());
        sig.push_back({p.string(), {ns, e ? 0 : size}});
    };
    if (fs::is_directory(skin, ec)) {
        for (auto it = fs::recursive_directory_iterator(skin, ec); it != fs::recursive_directory_iterator(); it.increment(ec)) {
            if (ec) break;
            if (it->is_regular_file(ec)) add(it->path());
        }
        std::sort(sig.begin(), sig.end());
    } else {
        add(skin);
    }
    return sig;
}

class CLiveWnd;

class CLiveDlg : public CWceUiDlg {
public:
    CLiveDlg(CLiveWnd* pWnd, size_t nIndex) : m_pWnd(pWnd), m_nIndex(nIndex) {}
    void OnInitDialog() override;
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) override;
    BOOL PrepareAnimate(BOOL bIn) override;
    BOOL PlayAnimate(BOOL bIn) override;
    size_t Index() const { return m_nIndex; }

private:
    CLiveWnd* m_pWnd;
    size_t m_nIndex;  // 0: the first dialog, n: the n-th --then dialog
};

class CLiveWnd : public CWceUiRealWnd {
public:
    CLiveWnd(const LiveOptions& o, const Transition& t) : m_o(o), m_t(t) {}

    int Status() const { return m_nStatus; }
    const LiveOptions& Options() const { return m_o; }
    bool Reloading() const { return m_bReloading; }
    const Transition* GetTransition() const { return m_o.transition.empty() ? NULL : &m_t; }

    void OnInitDialog() override
    {
        m_sig = Signature(m_o.skin);
        SetTimer(kWatchTimer, kWatchMs);
        if (!RunStack(true)) m_nStatus = 1, EndWindow();
    }
    void OnTimer(UINT nIDEvent) override
    {
        if (0 != (nIDEvent & 0xFFFF)) return CWceUiRealWnd::OnTimer(nIDEvent);
        CheckReload();
    }
    // Ends every running dialog; the first one's end ends the tool.
    void OnClose() override
    {
        if (m_stack.empty()) EndWindow();
        EndAll();
    }
    LRESULT DefaultWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (kOpenNextMsg != msg) return CWceUiRealWnd::DefaultWindowProc(msg, wParam, lParam);
        if (!m_stack.empty() && m_stack.size() < m_nReopen) OpenNext();
        return 0;
    }
    // Nothing on the root (a skin that does not load): the screen is black. Transition
    // frames are shown as they are.
    void OnWndBmpReady(CWceUiGenericBitmap* pWndBmp) override
    {
        if (!m_bPlaying && NULL == GetLayerCtrl()->RootLayer()->GetFirstChild()) pWndBmp->FillColor(RGB(0, 0, 0), NULL);
    }
    BOOL PlayOne(CWceUiWndAnimate* pAnimate)
    {
        m_bPlaying = true;
        BOOL bRet = Play(&pAnimate, 1, TRUE);
        m_bPlaying = false;
        return bRet;
    }

    void CheckReload()
    {
        auto sig = Signature(m_o.skin);
        if (sig == m_sig) return;
        m_sig = sig;
        if (!m_stack.empty()) {
            // The running stack unwinds without "out"; RunStack builds it again.
            m_nReopen = m_stack.size();
            m_bReloading = true;
            EndAll();
            return;
        }
        Reload();
        RunStack(false);
    }
    void Reload()
    {
        if (!WceUiChangeResDir((m_o.setDir + u"res\\").c_str()))
            std::fprintf(stderr, "skinview: the skin's resources do not reload\n");
    }

    // Runs the first dialog (and after a reload the same --then dialogs) until it ends for
    // good. False when the first dialog of the tool's start cannot be built; a skin that
    // fails after a reload leaves the screen black and the window watching.
    bool RunStack(bool bStart)
    {
        while (true) {
            std::unique_ptr<CLiveDlg> pDlg(Build(0));
            if (!pDlg) {
                InvalidateRect(NULL, TRUE);
                return !bStart;
            }
            bStart = false;
            m_stack.push_back(pDlg.get());
            pDlg->DoModal();
            m_stack.pop_back();
            GetLayerCtrl()->DeleteLayer(pDlg.release());
            if (!m_bReloading) break;
            m_bReloading = false;
            Reload();
        }
        m_nReopen = 0;
        EndWindow();
        return true;
    }
    // Opens the next --then dialog on top, modally; nothing after the last one.
    void OpenNext()
    {
        size_t n = m_stack.size();
        if (n > m_o.then.size()) return;
        std::unique_ptr<CLiveDlg> pDlg(Build(n));
        if (!pDlg) return;
        m_stack.push_back(pDlg.get());
        pDlg->DoModal();
        m_stack.pop_back();
        GetLayerCtrl()->DeleteLayer(pDlg.release());
    }
    void AfterInit(CLiveDlg* pDlg)
    {
        if (pDlg->Index() + 1 < m_nReopen) PostMessage(kOpenNextMsg, 0, 0);
    }
    void EndAll()
    {
        for (auto it = m_stack.rbegin(); it != m_stack.rend(); ++it)
            if (DLG_RUN_IN_MODAL == (*it)->GetRunWay()) (*it)->EndDialog(0);
    }

private:
    void EndWindow()
    {
        if (DLG_RUN_IN_MODAL == CRealDlg::GetRunWay() && ::IsWindow(m_hWnd)) CRealDlg::EndDialog(0);
    }
    CLiveDlg* Build(size_t nIndex)
    {
        std::u16string path = Utf8ToWide(nIndex ? m_o.then[nIndex - 1] : m_o.dialog);
        std::replace(path.begin(), path.end(), u'/', u'\\');
        std::u16string base = m_o.setDir + u"wnd\\" + path;
        CLiveDlg* pDlg = new CLiveDlg(this, nIndex);
        pDlg->SetLayerCtrl(GetLayerCtrl());
        if (!pDlg->Init((base + u".dlg.xml").c_str(), (base + u".style.xml").c_str())) {
            std::fprintf(stderr, "skinview: cannot build the dialog %s\n", WideToUtf8(path).c_str());
            GetLayerCtrl()->DeleteLayer(pDlg);
            return NULL;
        }
        return pDlg;
    }

    const LiveOptions& m_o;
    Transition m_t;
    std::vector<CLiveDlg*> m_stack;
    size_t m_nReopen = 0;
    bool m_bReloading = false;
    bool m_bPlaying = false;
    int m_nStatus = 0;
    std::vector<std::pair<std::string, std::pair<long long, std::uintmax_t>>> m_sig;
};

void CLiveDlg::OnInitDialog()
{
    if (m_pWnd->Options().sampleItems > 0) FillSampleItems(this, m_pWnd->Options().sampleItems);
    m_pWnd->AfterInit(this);
}

void CLiveDlg::OnKeyDown(UINT nChar, UINT, UINT)
{
    if (VK_RETURN == nChar) m_pWnd->OpenNext();
    else if (VK_ESCAPE == nChar) EndDialog(0);
    else if (kVkF5 == nChar) m_pWnd->CheckReload();
}

BOOL CLiveDlg::PrepareAnimate(BOOL bIn)
{
    if (m_pWnd->Reloading()) return FALSE;
    if (NULL == m_pWnd->GetTransition()) return CWceUiDlg::PrepareAnimate(bIn);
    return m_pWnd->Apply(NULL);
}

BOOL CLiveDlg::PlayAnimate(BOOL bIn)
{
    if (m_pWnd->Reloading()) return FALSE;
    const Transition* pT = m_pWnd->GetTransition();
    if (NULL == pT) {
        CWceUiWndAnimate* pOwn = GetWndAnimate(bIn ? u"in" : u"out");
        if (NULL == pOwn) return FALSE;
        BOOL bOwn = m_pWnd->PlayOne(pOwn);
        delete pOwn;
        return bOwn;
    }
    CWceUiWndAnimate* pAnimate = MakeAnimate(*pT, bIn);
    if (NULL == pAnimate) return FALSE;
    BOOL bRet = m_pWnd->PlayOne(pAnimate);
    delete pAnimate;
    return bRet;
}

}  // namespace

std::string CheckLiveTransition(const std::string& spec)
{
    Transition t;
    std::string problem = ParseTransition(spec, t);
    if (!problem.empty() || t.className.empty()) return problem;
    std::unique_ptr<CWceUiWndAnimate> p(MakeAnimate(t, TRUE));
    return p ? "" : "--transition '" + spec + "' is not a valid transition";
}

// Gives skin authors something to scroll: each list box the dialog left empty gets N items.
void FillSampleItems(CWceUiLayer* pLayer, long nItems)
{
    if (pLayer->IsKindOf(WCEUI_CLASS_NAME(CWceUiListBox))) {
        CWceUiListBox* pList = static_cast<CWceUiListBox*>(pLayer);
        if (0 == pList->GetCount())
            for (long i = 1; i <= nItems; ++i) pList->AddString(Utf8ToWide("Item " + std::to_string(i)).c_str(), FALSE);
    }
    for (CWceUiLayer* p = pLayer->GetFirstChild(); p; p = pLayer->NextChild(p)) FillSampleItems(p, nItems);
}

int RunLive(const LiveOptions& o)
{
    Transition t;
    if (!o.transition.empty()) ParseTransition(o.transition, t);
    std::string error;
    if (!wce::host::OpenDisplay(o.display, error)) {
        std::fprintf(stderr, "skinview: %s\n", error.c_str());
        return 2;
    }
    int status;
    {
        CLiveWnd wnd(o, t);
        RECT rc = {0, 0, o.display.width, o.display.height};
        wnd.DoModal(0x90000000, &rc, NULL);
        status = wnd.Status();
    }
    if (!wce::host::CloseDisplay() && 0 == status) status = 3;
    return status;
}
