// Transitions between two pictures of a window: the real window snapshots the old picture
// (from), paints the new one (to) and lets an animation compose each frame into a third
// bitmap of the same size (mixed), which it shows.
//
// An animation is configured once (Init from an element of a style file's "animate" group,
// or GetRandomAnimate) and keeps no per-run state, so it can be replayed: ReStart, Play for
// frames 0 .. frame count - 1, then OnAnimateEnd.
#pragma once

#include "WceUiObject.h"
#include "wce/types.h"

class CWceUiGenericBitmap;
class CWceUiXmlElem;
struct CWceUiWndAnimateData;

// Transition directions of Barn, Come and Go (Slider has its own numbering).
enum {
    WCEUI_ANIMATE_LEFT = 1,
    WCEUI_ANIMATE_RIGHT = 2,
    WCEUI_ANIMATE_UP = 3,
    WCEUI_ANIMATE_DOWN = 4,
    WCEUI_ANIMATE_LR_MID = 5,  // from both side edges toward the middle
    WCEUI_ANIMATE_MID_LR = 6,  // from the middle toward both side edges
    WCEUI_ANIMATE_UD_MID = 7,
    WCEUI_ANIMATE_MID_UD = 8,
};

// The frame length of the framework's kinds until a style or SetFrameLength gives another.
enum { WCEUI_ANIMATE_FRAME_LENGTH = 33 };

// The directions each kind can draw, as masks with bit n set for direction n.
enum : DWORD {
    WCEUI_ANIMATE_BARN_DIRECTIONS = 0x1FE,  // 1..8
    WCEUI_ANIMATE_COME_DIRECTIONS = 0xBE,   // 1..5, 7
    WCEUI_ANIMATE_GO_DIRECTIONS = 0x15E,    // 1..4, 6, 8
};

class CWceUiWndAnimate : public CWceUiObject {
    WCEUI_DYNAMIC_BEGIN(CWceUiWndAnimate, CWceUiObject)

public:
    CWceUiWndAnimate();
    virtual ~CWceUiWndAnimate();

    // Name = the element's tag name; "frame-count" and "rect" (x, y, width, height). The kinds
    // read "direction" and "frame-length" too.
    virtual BOOL Init(CWceUiXmlElem* pElem);
    virtual BOOL ReStart(CWceUiGenericBitmap* pMixedBitmap, CWceUiGenericBitmap* pFromBitmap,
                         CWceUiGenericBitmap* pToBitmap);
    // Draws frame nCurFrame (0-based) into pMixedBitmap; on success *lpPlayTime is the frame
    // length in milliseconds.
    virtual BOOL Play(CWceUiGenericBitmap* pMixedBitmap, CWceUiGenericBitmap* pFromBitmap,
                      CWceUiGenericBitmap* pToBitmap, int nCurFrame, DWORD* lpPlayTime) = 0;
    // Called once after the last frame; the window passes the mixed bitmap.
    virtual void OnAnimateEnd(void* pParam) { (void)pParam; }
    // Picks random parameters for GetRandomAnimate.
    virtual void SetRandomParameter() {}

    BOOL SetName(LPCWSTR pName);
    LPCWSTR GetName() const;
    // Below 1 is logged and kept; the animation then fails CheckParameter.
    void SetFrameCount(int nFrameCount);
    int GetFrameCount() const;
    void SetRect(const RECT& rc);
    void GetRect(RECT& rc) const;
    const RECT& GetRect() const;
    void SetEnable(BOOL bEnable);
    BOOL IsEnable() const;
    // Milliseconds from one frame to the next (Play's *lpPlayTime); 0 for a kind that times
    // its frames itself.
    void SetFrameLength(DWORD nFrameLength);
    DWORD GetFrameLength() const;
    // The kind's direction value (its own numbering); 0 for a kind without directions.
    // Come and Go replace a value they cannot draw by right.
    virtual void SetDirection(UINT nDirection);
    UINT GetDirection() const;

    BOOL CheckParameter(CWceUiGenericBitmap* pMixedBitmap, CWceUiGenericBitmap* pFromBitmap,
                        CWceUiGenericBitmap* pToBitmap);

    // A new animation of a random registered kind with random parameters (the caller deletes
    // it), or null.
    static CWceUiWndAnimate* GetRandomAnimate();
    // Enters a kind's class name in the random list once; FALSE for a repeat or null.
    static BOOL RegisterRandomAnimate(LPCWSTR pClassName);
    // Takes a name out of the random list; FALSE when it is not there.
    static BOOL UnregisterRandomAnimate(LPCWSTR pClassName);
    static int GetRandomAnimateCount();
    static LPCWSTR GetRandomAnimateName(int nIndex);

    CWceUiWndAnimateData* GetData() const { return m_pData; }

protected:
    // A kind's frame length and first direction.
    CWceUiWndAnimate(DWORD nFrameLength, UINT nDirection);

    // Every kind's Play: checks, the area to draw (animate rect within the mixed bitmap), the
    // kind's picture through impDrawFrame (the last frame is the new picture itself) and the
    // frame length as the time to the next frame. Returns FALSE on failure (logged with
    // pClassName).
    BOOL impPlay(LPCWSTR pClassName, CWceUiGenericBitmap* pMixedBitmap, CWceUiGenericBitmap* pFromBitmap,
                 CWceUiGenericBitmap* pToBitmap, int nCurFrame, DWORD* lpPlayTime);
    // A kind's picture of frame nCurFrame (never the last one) within rc of the mixed bitmap.
    virtual BOOL impDrawFrame(CWceUiGenericBitmap* pMixedBitmap, CWceUiGenericBitmap* pFromBitmap,
                              CWceUiGenericBitmap* pToBitmap, int nCurFrame, const RECT& rc);
    // Every kind's Init: CWceUiWndAnimate::Init, then "direction" (unless dwDirections is 0,
    // a kind without directions) and "frame-length". Logs with pClassName on failure.
    BOOL impInitKind(LPCWSTR pClassName, CWceUiXmlElem* pElem, DWORD dwDirections);
    // SetDirection of the kinds with direction values: a value outside dwDirections is logged
    // and replaced by right.
    void impSetDirection(LPCWSTR pClassName, DWORD dwDirections, UINT nDirection);
    // Reads "frame-length" (>= 1) as the frame length; logs with pClassName on failure.
    BOOL impReadFrameLength(LPCWSTR pClassName, CWceUiXmlElem* pElem);
    // CalcAnidisplacement, with 0 for an empty travel (a one-pixel area split in halves).
    static int impTravel(int nCurFrame, int nFrameCount, int nTotal);
    // Reads "direction" as the direction (unchanged when absent), the value 1..8 of its text,
    // accepting only the values flagged in dwValidMask (bit n for value n); logs with pClassName.
    BOOL impReadDirection(LPCWSTR pClassName, CWceUiXmlElem* pElem, DWORD dwValidMask);
    // Same-size copy of the source rectangle (l, t, r, b) of pSrc to (x, y) of pDst; nothing for
    // an empty rectangle.
    static void impCopy(CWceUiGenericBitmap* pDst, CWceUiGenericBitmap* pSrc, int l, int t, int r, int b, int x,
                        int y);

private:
    CWceUiWndAnimateData* m_pData;

    CWceUiWndAnimate(const CWceUiWndAnimate&) = delete;
    CWceUiWndAnimate& operator=(const CWceUiWndAnimate&) = delete;
};
WCEUI_DYNAMIC_END(CWceUiWndAnimate, CWceUiObject)
