// Style values, the drawing parts of a style, and style files: value syntax, drawtext and item
// alignment, overwrite chains, failing groups, specified flags, merging, binding and animations.
#include <climits>

#include "JXGlobal.h"
#include "JXStyleFile.h"
#include "WceUiStyle.h"
#include "WceUiStyleCtrl.h"
#include "bitmap_helpers.h"
#include "wce/gdi.h"

namespace {

class StyleFileTest : public SkinTest {
protected:
    // A style file whose "style" element holds styles (and the file's "animate" element).
    bool Load(const std::u16string& styles, const std::u16string& animate = u"")
    {
        std::string bytes = Utf16File(u"<root><style>" + styles + u"</style>" + animate + u"</root>", true);
        return m_file.LoadStyleData(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()),
                                    u"\\SDMMC\\a.style.xml");
    }
    // The named style, or a failure.
    ::testing::AssertionResult Get(const char16_t* name, CWceUiStyle& style)
    {
        if (m_file.GetStyleData(name, &style)) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << Utf8(name) << " does not build";
    }

    CJxStyleFile m_file;
};

// The names of a list's items, head first, checked against the walk tail first.
std::string Names(const CWceUiBgItemCtrl& list)
{
    std::string forward, backward;
    for (CWceUiBgItem* p = list.GetHead(); p; p = list.GetNext(p)) forward += Utf8(p->GetName());
    for (CWceUiBgItem* p = list.GetTail(); p; p = list.GetPre(p)) backward = Utf8(p->GetName()) + backward;
    EXPECT_EQ(forward, backward);
    EXPECT_EQ(static_cast<int>(forward.size()), list.GetCount());
    return forward;
}
CWceUiBgItem* Item(const char16_t* name)
{
    CWceUiBgItem* p = new CWceUiBgItem;
    p->SetName(name);
    return p;
}

const RECT kRelative = {10, 20, 110, 70}, kOne = {1, 1, 3, 3}, kMerged = {1, 1, 6, 6};

}  // namespace

TEST_F(StyleFileTest, GroupsSetTheirPropertiesAndFlags)
{
    ASSERT_TRUE(Load(u"<s1><position way=\"Relative\" rect=\"10,20,100,50\"/>"
                     u"<text color=\"0x0000FF\" res-id=\"T\"><font id=\"f\"/></text>"
                     u"<background color=\"back\"/><filters><alpha opacity=\"128\"/></filters></s1>"
                     u"<s2><LAYOUT Container=\"TRUE\"/><text color=\"0X00FF00\"/><background color=\"TRANSPARENT\"/>"
                     u"<position/></s2>"));
    CWceUiStyle s1, s2;
    ASSERT_TRUE(Get(u"s1", s1));
    RECT rc;
    EXPECT_TRUE(s1.GetPosition(&rc));
    EXPECT_TRUE(EqualRect(&rc, &kRelative));
    EXPECT_EQ(CWceUiLoadColor::SOURCE_APP, s1.GetTextLoadColor()->GetSource());
    EXPECT_EQ(RGB(0, 0, 0xFF), s1.GetTextColor());
    EXPECT_EQ(std::u16string(u"T"), std::u16string(s1.GetTextResID()));
    EXPECT_EQ(std::u16string(u"back"), std::u16string(s1.GetBgColorCtrl()->GetLoadColor().GetColorID()));
    EXPECT_FALSE(s1.HasAlphaFilter());  // given without "enabled": specified and off
    EXPECT_EQ(0x2A31u, s1.GetSpecifiedBits());  // position, text color, res-id, font, bg color, alpha

    ASSERT_TRUE(Get(u"s2", s2));
    EXPECT_TRUE(s2.IsContainer());
    EXPECT_TRUE(s2.IsVisible());
    EXPECT_EQ(std::u16string(u"0X00FF00"), std::u16string(s2.GetTextLoadColor()->GetColorID()));
    EXPECT_TRUE(s2.GetBgColorCtrl()->IsTransparent());
    EXPECT_FALSE(s2.GetPosition(&rc));
    EXPECT_TRUE(IsRectEmpty(&rc));
    EXPECT_EQ(0x0819u, s2.GetSpecifiedBits());  // position, container, text color, bg color
    EXPECT_TRUE(m_log.Messages().empty()) << m_log.Messages()[0];
}

TEST_F(StyleFileTest, DrawTextFormats)
{
    struct Case { const char16_t* attributes; UINT format; };
    const Case cases[] = {
        {u"", 0x00},
        {u"valign=\"center\"", 0x24},
        {u"valign=\"bottom\" align=\"right\"", 0x2A},
        {u"valign=\"top\" align=\"center\"", 0x01},
        {u"multiline=\"false\"", 0x20},
        {u"multiline=\"TRUE\" align=\"left\"", 0x00},
        {u"valign=\"middle\" align=\"centre\"", 0x00},  // unknown words add nothing
    };
    std::u16string styles;
    for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i)
        styles += u"<d" + Utf8ToWide(std::to_string(i)) + u"><text><drawtext " + cases[i].attributes +
                  u"/></text></d" + Utf8ToWide(std::to_string(i)) + u">";
    ASSERT_TRUE(Load(styles));
    for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
        CWceUiStyle style;
        ASSERT_TRUE(Get(Utf8ToWide("d" + std::to_string(i)).c_str(), style));
        EXPECT_EQ(cases[i].format, style.GetDrawTextCtrl()->GetFormat()) << Utf8(cases[i].attributes);
        EXPECT_TRUE(style.IsSpecified(WCEUI_SPECIFIED_DRAWTEXT));
    }
    EXPECT_TRUE(m_log.Contains("can not load style d6, middle is not valid for valign"));
    EXPECT_TRUE(m_log.Contains("can not load style d6, centre is not valid for align"));
}

TEST_F(StyleFileTest, BackgroundItemsAndAlignment)
{
    ASSERT_TRUE(Load(u"<base><background><a name=\"x\" id=\"bmp/a\"/></background></base>"
                     u"<s overwrite=\"base\"><background>"
                     u"<i1 id=\"one\" align=\"left\" valign=\"top\" zoom=\"true\" common-index=\"-2\" src-rect=\"0,0,4,4\"/>"
                     u"<i2 align=\"right\" valign=\"bottom\" dst-rect=\"1 1 2 2\"/>"
                     u"<i3 align=\"up\" valign=\"down\"/><i4/></background></s>"
                     u"<keep overwrite=\"base\"><background color=\"0x010203\"/></keep>"));
    CWceUiStyle s;
    ASSERT_TRUE(Get(u"s", s));
    CWceUiBgItemCtrl* pItems = s.GetBgItemCtrl();
    ASSERT_EQ(4, pItems->GetCount());
    const UINT aligns[] = {0x0, 0xA, 0x5, 0x5};
    int i = 0;
    for (CWceUiBgItem* p = pItems->GetHead(); p; p = pItems->GetNext(p), ++i) EXPECT_EQ(aligns[i], p->GetAlign());
    CWceUiBgItem* pFirst = pItems->GetHead();
    EXPECT_TRUE(pFirst->IsZoom());
    EXPECT_EQ(-2, pFirst->GetCommonIndex());
    RECT rc;
    pFirst->GetDstRect(&rc);
    EXPECT_TRUE(IsRectLarge(&rc));
    pItems->GetNext(pFirst)->GetDstRect(&rc);
    EXPECT_TRUE(EqualRect(&rc, &kOne));
    EXPECT_EQ(nullptr, pItems->GetByName(u"x"));  // replaced, not added to
    EXPECT_TRUE(m_log.Contains("can not load style s, up is not valid for align"));

    CWceUiStyle keep;
    ASSERT_TRUE(Get(u"keep", keep));
    ASSERT_EQ(1, keep.GetBgItemCtrl()->GetCount());
    EXPECT_NE(nullptr, keep.GetBgItemCtrl()->GetByName(u"x"));
    EXPECT_EQ(nullptr, keep.GetBgItemCtrl()->GetByName(u"X"));

    // The setter: right wins over centre, and an axis without bits keeps its value.
    struct Step { UINT set, result; };
    const Step steps[] = {{3, 2}, {0, 2}, {1, 1}, {12, 5}, {8, 9}, {4, 5}, {0, 5}};
    CWceUiBgItem item;
    EXPECT_EQ(0u, item.GetAlign());
    for (const Step& step : steps) {
        item.SetAlign(step.set);
        EXPECT_EQ(step.result, item.GetAlign()) << step.set;
    }
}

TEST_F(StyleFileTest, OverwriteOrderAndChains)
{
    ASSERT_TRUE(Load(u"<a><layout container=\"true\"/><text res-id=\"A\"/></a>"
                     u"<b overwrite=\"a\"><text color=\"0x000010\"/></b>"
                     u"<c overwrite=\"b\"><text res-id=\"C\"/></c>"
                     u"<self overwrite=\"self\"/><early overwrite=\"later\"/><later/>"
                     u"<lost overwrite=\"nowhere\"/><mid overwrite=\"early\"/>"));
    CWceUiStyle c;
    ASSERT_TRUE(Get(u"c", c));
    EXPECT_TRUE(c.IsContainer());
    EXPECT_EQ(RGB(0, 0, 0x10), c.GetTextColor());
    EXPECT_EQ(std::u16string(u"C"), std::u16string(c.GetTextResID()));
    EXPECT_TRUE(c.IsSpecified(WCEUI_SPECIFIED_CONTAINER));

    // Refused: itself, a later style, a missing one, a refused base, no such style. Not cached:
    // asked again, each is read again and logs again.
    for (const char16_t* name : {u"self", u"early", u"lost", u"mid", u"none"}) {
        m_log.Clear();
        CWceUiStyle style;
        EXPECT_FALSE(m_file.GetStyleData(name, &style));
        const std::vector<std::string> first = m_log.Messages();
        EXPECT_FALSE(first.empty()) << Utf8(name);
        m_log.Clear();
        EXPECT_FALSE(m_file.GetStyleData(name, &style));
        EXPECT_EQ(first, m_log.Messages()) << Utf8(name);
    }
}

TEST_F(StyleFileTest, LongChainsLoadWithoutRecursion)
{
    const int kStyles = 20000;
    std::u16string styles = u"<s0><text res-id=\"first\"/></s0>";
    for (int i = 1; i < kStyles; ++i)
        styles += u"<s" + Utf8ToWide(std::to_string(i)) + u" overwrite=\"s" + Utf8ToWide(std::to_string(i - 1)) +
                  u"\"/>";
    ASSERT_TRUE(Load(styles));
    CWceUiStyle last;
    ASSERT_TRUE(Get(Utf8ToWide("s" + std::to_string(kStyles - 1)).c_str(), last));
    EXPECT_EQ(std::u16string(u"first"), std::u16string(last.GetTextResID()));
    // The bases were cached on the way.
    CWceUiStyle middle;
    ASSERT_TRUE(Get(u"s777", middle));
    EXPECT_TRUE(m_log.Messages().empty());
}

TEST_F(StyleFileTest, AFailingGroupStopsTheStyle)
{
    struct Case { const char16_t* style; const char* message; };
    const Case cases[] = {
        {u"<s><position rect=\"1,2,3\"/><layout container=\"true\"/></s>", "can not load style s, 1,2,3 is not a valid rect"},
        {u"<s><text><drawtext rect=\"x\"/></text></s>", "can not load style s, x is not a valid rect"},
        {u"<s><background><i src-rect=\"1\"/></background></s>", "can not load style s, 1 is not a valid rect"},
        {u"<s><filters><alpha enabled=\"true\" opacity=\"256\"/></filters></s>",
         "can not load style s, 256 is not valid alpha value"},
        {u"<s><filters><mixcolor opacity=\"-1\"/></filters></s>", "can not load style s, -1 is not valid alpha value"},
        {u"<s><filters><alpha enabled=\"true\"/></filters></s>", "can not load style s,  is not valid alpha value"},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(Load(c.style));
        m_log.Clear();
        CWceUiStyle style;
        EXPECT_FALSE(m_file.GetStyleData(u"s", &style));
        EXPECT_EQ((std::vector<std::string>{c.message, "can not load style s"}), m_log.Messages()) << Utf8(c.style);
    }
    // The groups after the failing one are not applied.
    ASSERT_TRUE(Load(u"<s><position rect=\"bad\"/><layout container=\"true\"/></s>"));
    CWceUiStyle style;
    EXPECT_FALSE(m_file.LoadStyle(&style, m_file.GetStyleElem(0)));
    EXPECT_FALSE(style.IsContainer());

    ASSERT_TRUE(Load(u"<s><filters><alpha enabled=\"true\" opacity=\"255\"/>"
                     u"<mixcolor enabled=\"true\" opacity=\"0\" color=\"0x102030\"/></filters></s>"));
    ASSERT_TRUE(Get(u"s", style));
    int nAlpha = 0;
    EXPECT_TRUE(style.GetAlphaFilterCtrl()->GetFilter(&nAlpha));
    EXPECT_EQ(255, nAlpha);
    COLORREF cr = 0;
    EXPECT_TRUE(style.GetMixColorFilterCtrl()->GetFilter(&cr, &nAlpha));
    EXPECT_EQ(RGB(0x10, 0x20, 0x30), cr);
    EXPECT_EQ(0, nAlpha);
}

TEST_F(StyleFileTest, MergeTakesFirstsSpecifiedGroupsAndSecondsItemsAndFlags)
{
    ASSERT_TRUE(Load(u"<common><position rect=\"1,1,5,5\"/><background color=\"0x111111\"><c/></background>"
                     u"<adv-properties no-input=\"true\"/></common>"
                     u"<state><position rect=\"2,2,6,6\"/><layout visibility=\"false\"/>"
                     u"<background color=\"0x222222\"><s1/><s2/></background></state>"));
    CWceUiStyle common, state, result;
    ASSERT_TRUE(Get(u"common", common));
    ASSERT_TRUE(Get(u"state", state));
    CWceUiLayer* pLayer = reinterpret_cast<CWceUiLayer*>(&state);
    state.BindLayer(pLayer);  // an input's binding never comes along
    ASSERT_TRUE(result.MergeStyle(common, state));
    RECT rc;
    result.GetPosition(&rc);
    EXPECT_TRUE(EqualRect(&rc, &kMerged));
    EXPECT_EQ(RGB(0x11, 0x11, 0x11), result.GetBgColorCtrl()->GetColor());
    EXPECT_TRUE(result.IsNoInput());
    EXPECT_FALSE(result.IsVisible());
    EXPECT_EQ(2, result.GetBgItemCtrl()->GetCount());
    EXPECT_EQ(state.GetSpecifiedBits(), result.GetSpecifiedBits());
    EXPECT_EQ(nullptr, result.GetBoundLayer());

    // Copies are unbound; assigning or merging into a bound style keeps its binding.
    CWceUiStyle copy(state);
    EXPECT_EQ(nullptr, copy.GetBoundLayer());
    state = common;
    EXPECT_EQ(pLayer, state.GetBoundLayer());
    EXPECT_EQ(common.GetSpecifiedBits(), state.GetSpecifiedBits());
    state.MergeStyle(copy, common);
    EXPECT_EQ(pLayer, state.GetBoundLayer());
}

TEST_F(StyleFileTest, AnimationsAreFoundByNameIgnoringCase)
{
    ASSERT_TRUE(Load(u"<s/>", u"<animate><In type=\"CWceUiLayer\"/><out/></animate>"));
    EXPECT_TRUE(m_file.DoesHaveAnimate(u"in"));
    EXPECT_FALSE(m_file.DoesHaveAnimate(u"side"));
    EXPECT_NE(nullptr, m_file.GetAnimateElem(u"IN"));
    EXPECT_EQ(nullptr, m_file.GetWndAnimate(u"side"));
    EXPECT_EQ(nullptr, m_file.GetWndAnimate(u"out"));  // no type
    ASSERT_TRUE(Load(u"<s/>"));  // no animate element
    EXPECT_EQ(nullptr, m_file.GetWndAnimate(u"in"));
    m_file.Clean();
    EXPECT_EQ(nullptr, m_file.GetWndAnimate(u"in"));
}

TEST_F(StyleFileTest, LoadingFromAFile)
{
    EXPECT_FALSE(m_file.LoadStyleFile(u"\\SDMMC\\none.style.xml"));
    EXPECT_FALSE(m_file.IsLoaded());
    EXPECT_TRUE(m_log.Contains("CJxStyleFile::LoadStyleFile load xml file \\SDMMC\\none.style.xml failed"));
    WriteText("SDMMC/empty.style.xml", u"<root><animate/></root>");
    EXPECT_TRUE(m_file.LoadStyleFile(u"\\SDMMC\\empty.style.xml"));
    EXPECT_EQ(0, m_file.GetStyleCount());
    WriteText("SDMMC/a.style.xml", u"<root><style><a/><b/><a><layout container=\"true\"/></a></style></root>");
    ASSERT_TRUE(m_file.LoadStyleFile(u"\\SDMMC\\a.style.xml"));
    EXPECT_EQ(3, m_file.GetStyleCount());
    // The first style of a name wins.
    CWceUiStyle a;
    ASSERT_TRUE(Get(u"a", a));
    EXPECT_FALSE(a.IsContainer());
    EXPECT_EQ(-1, m_file.GetStyleNameIndex(u"A"));
}

TEST(StyleValues, RectangleTexts)
{
    const RECT kUnchanged = {-7, -7, -7, -7};
    const struct { const char16_t* text; bool valid; RECT rect; } cases[] = {
        {u"10,20,100,50", true, {10, 20, 110, 70}},
        {u"10, 20, 300, 40", true, {10, 20, 310, 60}},
        {u"-5,-5,10,10", true, {-5, -5, 5, 5}},
        {u"10 20 -5 4", true, {10, 20, 5, 24}},  // inverted: empty for every rectangle function
        {u"\t1\r\n2\n3 4 99 junk", true, {1, 2, 4, 6}},
        {u"1a2,3,4,5", true, {1, 3, 5, 8}},  // "2" follows a letter: skipped
        {u"10,20,30", false, kUnchanged},
        {u"x10,20,30,40", false, kUnchanged},
        {u"10;20;30;40", false, kUnchanged},
        {u"+5,1,2,3", false, kUnchanged},
        {u"", false, kUnchanged},
        {u"2147483647,-2147483648,1,-1", true, {INT_MAX, INT_MIN, INT_MAX, INT_MIN}},  // saturated, no overflow
        {u"2147483648,0,1,1", false, kUnchanged},
        {u"0,0,99999999999999999999,1", false, kUnchanged},
    };
    for (const auto& c : cases) {
        RECT rc = kUnchanged;
        EXPECT_EQ(c.valid, !!ConvertRectStrToRect(c.text, &rc)) << Utf8(c.text);
        EXPECT_TRUE(EqualRect(&c.rect, &rc)) << Utf8(c.text) << " -> " << rc.left << "," << rc.top << ","
                                             << rc.right << "," << rc.bottom;
    }
}

TEST(StyleValues, ColorTexts)
{
    // literal, tableValue: valid in a style file, in the color table
    const struct { const char16_t* text; bool literal, tableValue; COLORREF color; } cases[] = {
        {u"0x0000FF", true, true, 0xFF0000},  // pure blue
        {u"0xFF8000", true, true, 0x0080FF},
        {u"0xabc", true, true, 0xBC0A00},
        {u"0x1FF8000", true, true, 0x0080FF},  // only the low 24 bits count
        {u"0xFFFFFFFF", true, true, 0xFFFFFF},
        {u"0x12zz", true, true, 0x120000},
        {u"0X00FF00", false, true, 0x00FF00},
        {u"0x", false, false, 0},
        {u"FF0000", false, true, 0x0000FF},
        {u"title", false, false, 0},
        {u"", false, false, 0},
    };
    for (const auto& c : cases) {
        COLORREF cr = 0x5A5A5A5A;
        EXPECT_EQ(c.literal, !!JxParseColorLiteral(c.text, &cr)) << Utf8(c.text);
        if (c.literal) { EXPECT_EQ(c.color, cr) << Utf8(c.text); }
        cr = 0x5A5A5A5A;
        EXPECT_EQ(c.tableValue, !!JxParseColorValue(c.text, &cr)) << Utf8(c.text);
        if (c.tableValue) { EXPECT_EQ(c.color, cr) << Utf8(c.text); }
    }
}

TEST(StyleValues, DecimalNumbers)
{
    const struct { const char16_t* text; int value; bool digits; } cases[] = {
        {u"12", 12, true},         {u"-20", -20, true},       {u"007px", 7, true},
        {u"", 0, false},           {u"-", 0, false},          {u"bold", 0, false},
        {u" 5", 0, false},         {u"--5", 0, false},        {u"99999999999", INT_MAX, true},
        {u"-99999999999", INT_MIN, true},
    };
    for (const auto& c : cases) {
        BOOL bDigits = !c.digits;
        EXPECT_EQ(c.value, JxParseDecimal(c.text, &bDigits)) << Utf8(c.text);
        EXPECT_EQ(c.digits, !!bDigits) << Utf8(c.text);
    }
}

TEST_F(StyleFileTest, BackgroundColorSelfAssignmentKeepsTheColor)
{
    CWceUiBgColorCtrl bg;
    bg.SetColor(RGB(1, 2, 3));
    CWceUiBgColorCtrl& same = bg;
    bg = same;
    EXPECT_EQ(RGB(1, 2, 3), bg.GetColor());
}

TEST_F(StyleFileTest, ItemListOperations)
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
