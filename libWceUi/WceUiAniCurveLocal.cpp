#include "WceUiAniCurveLocal.h"

#include "JXCheck.h"

int CalcAnidisplacement(int nCurFrame, int nFrameCount, int nStotal)
{
    if (!WCEUI_CHECK("CalcAnidisplacement", (nCurFrame >= 0) && (nCurFrame < nFrameCount))) return 0;
    if (!WCEUI_CHECK("CalcAnidisplacement", nFrameCount > 0)) return 0;
    if (!WCEUI_CHECK("CalcAnidisplacement", nStotal > 0)) return 0;
    int k = nCurFrame + 1;
    if (k == nFrameCount) return nStotal;
    int h = nFrameCount / 2;
    if (h < 1) h = 1;
    double a = double(nStotal) / (double(h) * h);
    double s = (k <= h) ? a * k * k / 2 : nStotal - a * (nFrameCount - k) * (nFrameCount - k) / 2;
    long long n = static_cast<long long>(s);
    if (n > nStotal) n = nStotal;
    return n < 1 ? 0 : static_cast<int>(n);
}
