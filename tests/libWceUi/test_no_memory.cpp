// A holder whose record cannot be allocated is left empty: its getters answer FALSE, 0 or
// null, its setters fail or do nothing, and nothing escapes as an exception.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <functional>
#include <new>

#include "JXGVar.h"
#include "JXGlobalData.h"
#include "JXWUniqueID.h"
#include "JXWriteLogFile.h"
#include "WceUiLayer.h"
#include "WceUiStyle.h"
#include "failing_new.h"
#include "temp_device.h"
#include "wce/gdi.h"
#include "WceUiBlendAni.h"

namespace {

// Each holder is made with its n-th allocation failing, n = 0, 1, ... until it is whole; run
// returns whether it was, after checking the empty answers when it was not.
struct Holder {
    const char* name;
    std::function<bool()> run;
};

TEST(NoMemory, HoldersWithoutTheirRecordAreEmpty)
{
    TempDevice device;  // the log goes there
    // With memory to spare: the globals, the log file, and the platform's module and stock
    // object tables, which are built on their first use.
    CJxGVar::GetInstance();
    JxWriteLogW(JX_LOG_INFO, u"out-of-memory rows follow");
    GetStockObject(SYSTEM_FONT);
    CWceUiWndAnimate::GetRandomAnimateCount();
    const Holder holders[] = {
        {"settings",
         [] {
             CJxGlobalData data;
             if (data.SetScreenInfo(320, 240, 16)) return true;
             EXPECT_EQ(0, data.GetScreenWidth());
             EXPECT_FALSE(data.SetPackPassword(u"x"));
             EXPECT_EQ(nullptr, data.GetPackPassword());
             EXPECT_EQ(std::u16string(), data.GetResDir());
             return false;
         }},
        {"layer ids",
         [] {
             CWUniqueID ids;
             if (1 == ids.GetID()) return true;
             EXPECT_FALSE(ids.IsInUse(1));
             EXPECT_EQ(0, ids.GetInUseCount());
             ids.ReleaseID(1);  // only warned about
             return false;
         }},
        {"window animation",
         [] {
             CWceUiBlendAni ani;
             if (ani.IsEnable()) return true;
             EXPECT_EQ(0, ani.GetFrameCount());
             EXPECT_EQ(0u, ani.GetFrameLength());
             EXPECT_FALSE(ani.SetName(u"x"));
             EXPECT_TRUE(IsRectEmpty(&ani.GetRect()));
             return false;
         }},
        {"random animation list",
         [] {
             const int nCount = CWceUiWndAnimate::GetRandomAnimateCount();
             if (CWceUiWndAnimate::RegisterRandomAnimate(u"CNoMemoryAni"))
                 return FALSE != CWceUiWndAnimate::UnregisterRandomAnimate(u"CNoMemoryAni");
             EXPECT_EQ(nCount, CWceUiWndAnimate::GetRandomAnimateCount());
             return false;
         }},
        {"style",
         [] {
             CWceUiStyle style, other;
             if (style.GetData() && other.GetData()) return true;
             EXPECT_FALSE(style.MergeStyle(other, style));
             if (style.GetData()) return false;
             style.SetVisible(TRUE);
             style = other;
             EXPECT_FALSE(style.IsVisible());
             EXPECT_EQ(nullptr, style.GetFontCtrl());
             EXPECT_EQ(nullptr, style.GetTextLoadColor());
             return false;
         }},
        {"layer whose style has no record",
         [] {
             CWceUiLayer layer;
             CWceUiStyle* pStyle = layer.GetStyle();
             if (pStyle) {
                 EXPECT_NE(nullptr, pStyle->GetData());
             }
             return nullptr != pStyle;
         }},
    };
    for (const Holder& holder : holders) {
        SCOPED_TRACE(holder.name);
        bool whole = false;
        long n = 0;
        for (; n < 1000 && !whole; ++n) {
            g_allocationsLeft = n;
            try {
                whole = holder.run();
            } catch (...) {
                g_allocationsLeft = -1;
                ADD_FAILURE() << "an exception escaped at allocation " << n;
                break;
            }
            g_allocationsLeft = -1;
            if (whole) break;
        }
        EXPECT_TRUE(whole);
        EXPECT_GT(n, 0);  // the holder allocates: each of its allocations was made to fail
    }
}

}  // namespace
