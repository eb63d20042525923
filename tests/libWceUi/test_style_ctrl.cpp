// The drawing objects of a style: background color states, the item list, filters, copies.
#include "WceUiStyleCtrl.h"
#include "doc_test_helpers.h"

namespace {

class StyleCtrlTest : public DocTest {
protected:
    // The names of the list's items, head first, and again tail first.
    static std::string Names(const CWceUiBgItemCtrl& list)
    {
        std::string forward, backward;
        for (CWceUiBgItem* p = list.GetHead(); p; p = list.GetNext(p)) forward += Utf8(p->GetName());
        for (CWceUiBgItem* p = list.GetTail(); p; p = list.GetPre(p)) backward = Utf8(p->GetName()) + backward;
        EXPECT_EQ(forward, backward);
        EXPECT_EQ(static_cast<int>(forward.size()), list.GetCount());
        return forward;
    }
    static CWceUiBgItem* Item(const char16_t* name)
    {
        CWceUiBgItem* p = new CWceUiBgItem;
        p->SetName(name);
        return p;
    }
};

}  // namespace

TEST_F(StyleCtrlTest, BackgroundColorStates)
{
    CWceUiBgColorCtrl bg;
    EXPECT_FALSE(bg.IsHasBgColor());
    bg.GetColor();
    bg.SetTransparent(TRUE);
    EXPECT_TRUE(bg.IsHasBgColor());
    bg.GetColor();
    EXPECT_EQ((std::vector<std::string>{"CWceUiBgColorCtrl::GetColor is useless when IsHasBgColor return FALSE",
                                        "CWceUiBgColorCtrl::GetColor is useless when IsTransparent return TRUE"}),
              m_log.Messages());
    bg.SetColor(RGB(1, 2, 3));
    EXPECT_FALSE(bg.IsTransparent());
    CWceUiBgColorCtrl copy(bg);
    EXPECT_EQ(RGB(1, 2, 3), copy.GetColor());
    m_log.Clear();
    copy.DoCopy(copy);
    EXPECT_EQ(std::vector<std::string>{"CWceUiBgColorCtrl::DoCopy,check(&other != this)fail"}, m_log.Messages());
    CWceUiBgColorCtrl& same = bg;
    bg = same;
    EXPECT_EQ(RGB(1, 2, 3), bg.GetColor());
}

TEST_F(StyleCtrlTest, ItemListOperations)
{
    CWceUiBgItemCtrl list;
    CWceUiBgItem* b = Item(u"b");
    list.AddTail(b);
    list.AddHead(Item(u"a"));
    list.AddTail(Item(u"d"));
    list.InsertAfter(b, Item(u"c"));
    list.InsertBefore(list.GetHead(), Item(u"0"));
    EXPECT_EQ("0abcd", Names(list));
    EXPECT_EQ(b, list.GetByName(u"b"));
    EXPECT_EQ(nullptr, list.GetByName(u"B"));
    EXPECT_TRUE(list.Remove(list.GetByName(u"0")));
    EXPECT_TRUE(list.Remove(list.GetTail()));
    EXPECT_EQ("abc", Names(list));

    // An item already in a list, or not in this one, is refused and the list stays whole.
    m_log.Clear();
    EXPECT_FALSE(list.AddTail(b));
    CWceUiBgItem stranger;
    CWceUiBgItem* x = Item(u"x");
    EXPECT_FALSE(list.InsertAfter(&stranger, x));  // x stays the caller's
    delete x;
    EXPECT_FALSE(list.Remove(&stranger));
    EXPECT_EQ(3u, m_log.Messages().size());
    EXPECT_EQ("abc", Names(list));

    // Copies are deep: the copy's items are its own.
    b->SetBitmapFromRes(u"btn/a.conf");
    CWceUiBgItemCtrl copy(list);
    EXPECT_EQ("abc", Names(copy));
    CWceUiBgItem* copiedB = copy.GetByName(u"b");
    EXPECT_NE(b, copiedB);
    EXPECT_EQ(std::u16string(u"btn/a.conf"), std::u16string(copiedB->GetLoadBitmap().GetBitmapID()));
    list.RemoveAll();
    EXPECT_EQ("", Names(list));
    EXPECT_EQ("abc", Names(copy));
}

TEST_F(StyleCtrlTest, FiltersKeepAlphaOnlyWhileEnabled)
{
    CWceUiAlphaFilterCtrl alpha;
    int n = 7;
    alpha.SetFilter(TRUE, 90);
    EXPECT_TRUE(alpha.GetFilter(&n));
    EXPECT_EQ(90, n);
    alpha.SetFilter(FALSE, 80);
    EXPECT_FALSE(alpha.GetFilter(&n));
    EXPECT_EQ(90, n);  // untouched
    CWceUiMixColorFilterCtrl mix;
    mix.SetFilterFromRes(FALSE, u"tint", 5);
    COLORREF cr = 0;
    EXPECT_FALSE(mix.GetFilter(&cr, &n));
    EXPECT_EQ(-1, mix.GetAlpha());
    EXPECT_EQ(std::u16string(u"tint"), std::u16string(mix.GetLoadColor().GetColorID()));
}
