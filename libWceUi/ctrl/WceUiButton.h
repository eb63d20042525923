// A push button: a layer that switches between three looks (styles) while pressed and
// tells its parent dialog about a click released inside it.
#pragma once

#include "WceUiLayer.h"
#include "wce/types.h"

struct CWceUiButtonData;

// Look states.
enum {
    WCEUI_BTN_NORMAL = 1,
    WCEUI_BTN_DOWN = 2,
    WCEUI_BTN_OUTSIDE = 3,  // pressed with the pointer outside the button
};

class CWceUiButton : public CWceUiLayer {
    WCEUI_DYNCREATE_BEGIN(CWceUiButton, CWceUiLayer)

public:
    // ---- Life ----
    CWceUiButton();
    virtual ~CWceUiButton();

    // ---- Properties ----
    BOOL SetProperties(CWceUiXmlElem* pCreateElem) override;
    // Names are cut to 63 units; the look showing now is applied again at once.
    void SetNormalStyle(LPCWSTR pStyleName);
    void SetDownStyle(LPCWSTR pStyleName);
    void SetFocusStyle(LPCWSTR pStyleName);
    LPCWSTR GetNormalStyle() const;
    LPCWSTR GetDownStyle() const;
    LPCWSTR GetFocusStyle() const;

    // ---- Public calls ----
    BOOL IsPressed() const;
    int GetLookState() const;

    // ---- Input ----
    void OnLButtonDown(UINT nFlags, int x, int y) override;
    void OnMouseMove(UINT nFlags, int x, int y) override;
    void OnLButtonUp(UINT nFlags, int x, int y) override;
    void OnLoseCapture() override;

    CWceUiButtonData* GetData() const { return m_pData; }

private:
    void impApplyLook(int nState);
    void impSetName(int nState, LPCWSTR pStyleName);

    CWceUiButtonData* m_pData;
};
WCEUI_DYNCREATE_END(CWceUiButton, CWceUiLayer)
