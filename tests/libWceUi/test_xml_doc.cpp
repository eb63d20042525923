#include <cctype>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "WceUiXml.h"
#include "doc_test_helpers.h"

namespace {

// The item's text as it stands in the buffer.
std::string Raw(const CWceUiXmlElem* pItem)
{
    return pItem && pItem->GetRawStart() ? WideToUtf8(std::u16string(pItem->GetRawStart(), pItem->GetRawEnd() + 1))
                                          : "(no item)";
}

// The saved text from pFrom, or "(failed)".
std::string Save(CWceUiXmlDoc& doc, CWceUiXmlElem* pFrom)
{
    LPWSTR pText = nullptr;
    if (!doc.SaveElemToString(&pText, pFrom)) return "(failed)";
    std::string text = WideToUtf8(pText);
    EXPECT_EQ(static_cast<int>(std::u16string(pText).size()), doc.GetXmlStringLen(pFrom));
    delete[] pText;
    return text;
}

// "Function code" from each syntax error line; other lines as they are.
std::vector<std::string> SyntaxErrors(const std::vector<std::string>& messages)
{
    std::vector<std::string> codes;
    const std::string prefix = "CWceUiXmlDoc::";
    for (const std::string& m : messages) {
        size_t comma = m.find(", (");
        size_t code = m.find(") syntax error ");
        bool bSyntax = 0 == m.find(prefix) && std::string::npos != comma && std::string::npos != code;
        codes.push_back(bSyntax ? m.substr(prefix.size(), comma - prefix.size()) + " " + m.substr(code + 15) : m);
    }
    return codes;
}

// The elements of the access list must be the depth-first order of the tree, with levels
// and parents that agree.
void ExpectConsistent(CWceUiXmlDoc& doc)
{
    std::vector<CWceUiXmlElem*> expected, actual;
    std::function<void(CWceUiXmlElem*)> walk = [&](CWceUiXmlElem* pElem) {
        expected.push_back(pElem);
        int nChildren = 0;
        for (CWceUiXmlElem* pChild = pElem->GetFirstChild(); pChild; pChild = pChild->GetNextSibling(), ++nChildren) {
            EXPECT_EQ(pElem, pChild->GetParent());
            EXPECT_EQ(pElem->GetLevel() + 1, pChild->GetLevel());
            walk(pChild);
        }
        EXPECT_EQ(nChildren, pElem->GetChildCount());
    };
    if (doc.GetRootElem()) walk(doc.GetRootElem());
    int nItems = 0;
    for (CWceUiXmlElem* pItem = doc.GetFirstItem(); pItem; pItem = doc.GetNextItem(pItem), ++nItems)
        if (XML_ELEM_NODE == pItem->GetType()) actual.push_back(pItem);
    EXPECT_EQ(doc.GetItemCount(), nItems);
    EXPECT_EQ(expected, actual);
}

// n nested opening tags e0..e(n-1), a self-closing leaf inside when bLeaf, and the closings.
std::u16string Nested(int n, bool bLeaf)
{
    std::u16string text;
    for (int i = 0; i < n; ++i) text += u"<e" + Utf8ToWide(std::to_string(i)) + u">";
    if (bLeaf) text += u"<leaf/>";
    for (int i = n - 1; i >= 0; --i) text += u"</e" + Utf8ToWide(std::to_string(i)) + u">";
    return text;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Parsing

TEST_F(DocTest, XmlParsesItemsInDocumentOrderWithLevelsAndAttributes)
{
    CWceUiXmlDoc doc;
    ASSERT_TRUE(doc.LoadXmlStr(u"<?xml version=\"1.0\"?>\r\n"
                               u"<!-- top -->\r\n"
                               u"<Dlg name='main' x = \"1\"\r\n\ty=\"2\">\r\n"
                               u"\t<layer type=\"a\"/><layer type=\"b\"><style/></layer>\r\n"
                               u"</dlg>\r\n", TRUE));
    EXPECT_TRUE(m_log.Messages().empty());
    CWceUiXmlElem* pItem = doc.GetFirstItem();
    ASSERT_EQ(XML_ELEM_DECLARE, pItem->GetType());
    EXPECT_EQ("<?xml version=\"1.0\"?>", Raw(pItem));
    pItem = doc.GetNextItem(pItem);
    ASSERT_EQ(XML_ELEM_COMMENT, pItem->GetType());
    EXPECT_EQ("<!-- top -->", Raw(pItem));

    CWceUiXmlElem* pRoot = doc.GetRootElem();
    ASSERT_EQ(doc.GetNextItem(pItem), pRoot);
    EXPECT_EQ("Dlg", Utf8(pRoot->GetTagName()));
    EXPECT_EQ(3, pRoot->GetAttributeCount());
    EXPECT_EQ("main", Utf8(pRoot->GetAttribute(u"NAME")));
    EXPECT_EQ("2", Utf8(pRoot->GetAttribute(u"y")));
    EXPECT_EQ(nullptr, pRoot->GetAttribute(u"z"));
    EXPECT_EQ("name", Utf8(pRoot->GetFirstAttribute()->GetName()));
    ASSERT_EQ(2, pRoot->GetChildCount());
    CWceUiXmlElem* pSecond = pRoot->GetLastChild();
    EXPECT_EQ("a", Utf8(pRoot->FindChild(u"LAYER")->GetAttribute(u"type")));
    // Each name takes the first matching child only: the first layer has no style.
    EXPECT_EQ(nullptr, pRoot->FindElemByPath(u"layer/Style"));
    EXPECT_EQ(pSecond->GetFirstChild(), pSecond->FindElemByPath(u"STYLE"));
    ExpectConsistent(doc);

    CWceUiXmlDoc other;
    ASSERT_TRUE(other.LoadXmlStr(u"<a><b><c/></b><b/></a>"));
    EXPECT_EQ("c", Utf8(other.GetRootElem()->FindElemByPath(u"B/c")->GetTagName()));
    EXPECT_EQ(nullptr, other.GetRootElem()->FindElemByPath(u"b//c"));
    EXPECT_EQ(nullptr, other.GetRootElem()->FindElemByPath(u"b/c/"));
}

// Forms the loader takes although strict XML would not, and texts without a root.
TEST_F(DocTest, XmlLenientFormsLoad)
{
    CWceUiXmlDoc doc;
    ASSERT_TRUE(doc.LoadXmlStr(u"<a b=\"it's\"c='say \"hi\"'d=''/>"));
    EXPECT_EQ("it's", Utf8(doc.GetRootElem()->GetAttribute(u"b")));
    EXPECT_EQ("say \"hi\"", Utf8(doc.GetRootElem()->GetAttribute(u"c")));
    EXPECT_EQ("", Utf8(doc.GetRootElem()->GetAttribute(u"d")));
    doc.Clean();
    EXPECT_TRUE(doc.LoadXmlStr(u"<Layer><Item></ITEM ignored text></layer>"));
    doc.Clean();
    // Comments are dropped unless kept; text before a child is skipped.
    ASSERT_TRUE(doc.LoadXmlStr(u"<!--a--><r>text before a child<c/><!--b--></r><?xml x?>"));
    EXPECT_EQ(3, doc.GetItemCount());  // r, c and the declaration
    doc.Clean();
    ASSERT_TRUE(doc.LoadXmlStr(u"  <!-- nothing -->\r\n\t<?xml v?>  \r\n"));
    EXPECT_EQ(nullptr, doc.GetRootElem());
    EXPECT_TRUE(m_log.Messages().empty());
}

struct SyntaxCase { const char16_t* pText; std::vector<std::string> errors; };

// A tag's error, logged again by the document level.
SyntaxCase Tag(const char16_t* pText, std::vector<std::string> e) { e.push_back("ParseXml 009"); return {pText, e}; }
const char* const k010 = "ParseXml 010,attention:<a><x></x>err</a> is not supported";  // text outside a tag

class XmlSyntaxErrors : public DocTest, public ::testing::WithParamInterface<SyntaxCase> {};

TEST_P(XmlSyntaxErrors, AreLoggedOneLinePerLevel)
{
    CWceUiXmlDoc doc;
    EXPECT_FALSE(doc.LoadXmlStr(GetParam().pText));
    EXPECT_EQ(GetParam().errors, SyntaxErrors(m_log.Messages()));
    EXPECT_FALSE(doc.IsLoaded());
    EXPECT_EQ(nullptr, doc.GetFirstItem());
}

INSTANTIATE_TEST_SUITE_P(
    Codes, XmlSyntaxErrors,
    ::testing::Values(
        SyntaxCase{u"<a>", {"ParseXml 001"}}, SyntaxCase{u"<a/><!-->", {"ParseXml 002"}},
        SyntaxCase{u"<!DOCTYPE a><a/>", {"ParseXml 003"}}, SyntaxCase{u"<a/><!-- never closed -", {"ParseXml 004"}},
        SyntaxCase{u"<a/><?xm>", {"ParseXml 006"}}, SyntaxCase{u"<?XML version='1.0'?><a/>", {"ParseXml 007"}},
        SyntaxCase{u"<a/><?xml never closed ?", {"ParseXml 008"}}, SyntaxCase{u"<a><x></x>err</a>", {k010}},
        SyntaxCase{u"<a/>err", {k010}}, SyntaxCase{u"text<a/>", {k010}},
        SyntaxCase{u"<a><b/>", {"ParseXml 011"}}, Tag(u"<a/><b c=\"1\"", {"ParseXmlTag 012"}),
        Tag(u"< a></a>", {"ParseXmlTag 013"}), Tag(u"<a=1></a=1>", {"ParseXmlTag 014"}),
        Tag(u"<a b></a>", {"ParseXmlTag 015"}), Tag(u"<a c='x>", {"HandleXmlTagContent 028", "ParseXmlTag 015"}),
        Tag(u"<a></a><b></b>", {"ParseXmlTag 016"}), Tag(u"<a>text", {"ParseXmlTag 018"}),
        Tag(u"< />", {"ParseXmlTag 019"}), Tag(u"<a=b/>", {"ParseXmlTag 020"}),
        Tag(u"<a b=\"1\" B=\"2\"/>", {"HandleXmlTagContent 029", "ParseXmlTag 021"}),
        Tag(u"<a b= />", {"HandleXmlTagContent 027", "ParseXmlTag 021"}), Tag(u"<a/><b/>", {"ParseXmlTag 022"}),
        Tag(u"<a></ a>", {"ParseXmlTag 023"}), Tag(u"</a>", {"ParseXmlTag 024"}),
        Tag(u"<a><b></a></b>", {"ParseXmlTag 025"}), Tag(u"<a></a/>", {"ParseXmlTag 026"})),
    // Stable names ("ParseXmlTag_025_22"), so that ctest can run each case by name.
    [](const ::testing::TestParamInfo<SyntaxCase>& info) {
        std::string name = info.param.errors.front().substr(0, info.param.errors.front().find(','));
        for (char& c : name) if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';

        return name + "_" + std::to_string(info.index);
    });

// Many names of one first letter and length: past the few the bits can tell apart, the
// duplicate check switches to a set, and must still find a repeat in another case.
TEST_F(DocTest, XmlManyLookAlikeAttributesLoadAndARepeatIsFound)
{
    for (bool bRepeat : {false, true}) {
        std::u16string text = u"<a";
        for (int i = 0; i < 5000; ++i) {
            char name[8];
            std::snprintf(name, sizeof(name), "n%04d", i);
            text += u" " + std::u16string(name, name + 5) + u"='v'";
        }
        if (bRepeat) text += u" N0005='w'";
        text += u"/>";
        CWceUiXmlDoc doc;
        m_log.Clear();
        EXPECT_EQ(!bRepeat, !!doc.LoadXmlStr(text.c_str()));
        if (bRepeat)
            EXPECT_EQ((std::vector<std::string>{"HandleXmlTagContent 029", "ParseXmlTag 021", "ParseXml 009"}),
                      SyntaxErrors(m_log.Messages()));
        else
            EXPECT_EQ(5000, doc.GetRootElem()->GetAttributeCount());
    }
}

// The first error's place counts the line feeds that the parser overwrote to end names.
TEST_F(DocTest, XmlFirstSyntaxErrorKeepsItsLineAndColumn)
{
    const struct { const char16_t* pText; int nLine, nColumn; const char* pCode; } cases[] = {
        {u"<a>\n  <b></c>\n</a>", 2, 8, "025"},
        {u"<a\nb=\"1\"\nB=\"2\"/>", 3, 1, "029"},
        {u"<a b='1'\nb\n='2'/>", 2, 1, "029"},  // the name just ended lies behind the error
        {u"<a/>\r\n<!-->", 2, 1, "002"},
        {u"<a/>", 0, 0, nullptr},
    };
    for (const auto& c : cases) {
        CWceUiXmlDoc doc;
        doc.LoadXmlStr(c.pText);
        int nLine = 0, nColumn = 0;
        LPCWSTR pCode = nullptr, pMeaning = nullptr;
        EXPECT_EQ(nullptr != c.pCode, !!doc.GetFirstSyntaxError(&nLine, &nColumn, &pCode, &pMeaning));
        EXPECT_EQ(c.nLine, nLine) << WideToUtf8(c.pText);
        EXPECT_EQ(c.nColumn, nColumn) << WideToUtf8(c.pText);
        if (c.pCode) {
            EXPECT_EQ(c.pCode, WideToUtf8(std::u16string(pCode, 3)));
            EXPECT_NE(nullptr, pMeaning);
        }
    }
}

// Every cut of a document must fail or load without reading past the text (the sanitizer
// build watches the reads); once the root has begun, only the whole text loads.
TEST_F(DocTest, XmlEveryCutOfADocumentStaysInsideTheText)
{
    const std::u16string text = u"<?xml version=\"1.0\"?><!-- c --><r a=\"1\" b='2'><x y=\"3\"/><z></z></r>";
    const size_t nRootStart = text.find(u"<r ");
    for (size_t n = 1; n <= text.size(); ++n) {
        CWceUiXmlDoc doc;
        const std::u16string cut = text.substr(0, n);
        BOOL bLoaded = doc.LoadXmlStr(cut.c_str());
        if (n > nRootStart) {
            EXPECT_EQ(n == text.size(), !!bLoaded) << WideToUtf8(cut);
        }
        // As a file too, once with an odd trailing byte; each buffer exactly its size.
        const std::string bytes = Utf16File(cut);
        for (size_t size : {bytes.size(), bytes.size() - 1}) {
            const std::vector<BYTE> data(bytes.begin(), bytes.begin() + size);
            CWceUiXmlDoc fromBytes;
            fromBytes.LoadXmlData(data.data(), static_cast<DWORD>(size), u"\\SDMMC\\cut.xml");
        }
    }
}

// ---------------------------------------------------------------------------------------
// Files

TEST_F(DocTest, XmlFileNeedsTheMarkAnEvenLengthAndACleanDocument)
{
    m_device.WriteHostFile("SDMMC/plain.xml", Utf16File(u"<a/>", false));
    m_device.WriteHostFile("SDMMC/odd.xml", Utf16File(u"<a/>") + "x");
    m_device.WriteHostFile("SDMMC/mark.xml", Utf16File(u""));
    m_device.WriteHostFile("SDMMC/space.xml", Utf16File(u" \r\n\t"));
    WriteText("SDMMC/bad.xml", u"<a></b>");

    CWceUiXmlDoc doc;
    for (LPCWSTR path : {u"\\SDMMC\\plain.xml", u"\\SDMMC\\odd.xml", u"\\SDMMC\\mark.xml", u"\\SDMMC\\bad.xml"})
        EXPECT_FALSE(doc.LoadXmlFile(path)) << Utf8(path);
    EXPECT_EQ(6u, m_log.Messages().size());  // one for each, and the three levels of the syntax error
    EXPECT_FALSE(doc.IsLoaded());
    EXPECT_EQ("", Utf8(doc.GetPath()));

    ASSERT_TRUE(doc.LoadXmlFile(u"\\SDMMC\\space.xml"));
    EXPECT_EQ(nullptr, doc.GetRootElem());
    EXPECT_EQ("\\SDMMC\\space.xml", Utf8(doc.GetPath()));
    // A loaded document takes no other until cleaned.
    m_log.Clear();
    EXPECT_FALSE(doc.LoadXmlFile(u"\\SDMMC\\space.xml"));
    EXPECT_FALSE(doc.LoadXmlStr(u"<b/>"));
    doc.Clean();
    EXPECT_FALSE(doc.LoadXmlFile(u"\\SDMMC\\missing.xml"));
    EXPECT_EQ(4u, m_log.Messages().size());  // the two refusals, the missing file read and not loaded
    EXPECT_TRUE(doc.LoadXmlStr(u"<b/>"));
}

// ---------------------------------------------------------------------------------------
// #include_xml

TEST_F(DocTest, XmlIncludeReplacesItsLineEvenInsideAComment)
{
    WriteText("SDMMC/skin/common/items.xml", u"<item n=\"1\"/>\r\n<item n=\"2\"/>");
    WriteText("SDMMC/skin/wnd/note.xml", u"included note");
    WriteText("SDMMC/skin/wnd/a.xml",
              u"<list>\r\n  \t#include_xml  \"..\\common\\items.xml\"  \r\n"
              u"<!--\r\n#include_xml \"note.xml\"\r\n-->\r\n</list>");
    CWceUiXmlDoc doc;
    ASSERT_TRUE(doc.LoadXmlFile(u"\\SDMMC\\skin\\wnd\\a.xml", TRUE)) << ::testing::PrintToString(m_log.Messages());
    CWceUiXmlElem* pRoot = doc.GetRootElem();
    ASSERT_EQ(2, pRoot->GetChildCount());
    EXPECT_EQ("2", Utf8(pRoot->GetLastChild()->GetAttribute(u"n")));
    EXPECT_EQ("<!--\r\nincluded note-->", Raw(doc.GetNextItem(pRoot->GetLastChild())));
}

TEST_F(DocTest, XmlIncludeIsOnlyADirectiveAloneOnItsLineAndDoesNotNest)
{
    WriteText("SDMMC/inc.xml", u"<x/>");
    // After other text, with a lone CR behind it, or without its quotes: left as written.
    WriteText("SDMMC/a.xml",
              u"<r><!-- x #include_xml \"inc.xml\"\r\n"
              u"#include_xml \"inc.xml\"\r -->\r\n"
              u"<!--\r\n#include_xml inc.xml\r\n--></r>");
    CWceUiXmlDoc doc;
    ASSERT_TRUE(doc.LoadXmlFile(u"\\SDMMC\\a.xml", TRUE));
    EXPECT_EQ(0, doc.GetRootElem()->GetChildCount());
    EXPECT_EQ("<!-- x #include_xml \"inc.xml\"\r\n#include_xml \"inc.xml\"\r -->",
              Raw(doc.GetNextItem(doc.GetRootElem())));

    // A directive at the very end of the text needs no line end.
    WriteText("SDMMC/end.xml", u"<!-- -->\r\n#include_xml \"inc.xml\"");
    CWceUiXmlDoc atEnd;
    ASSERT_TRUE(atEnd.LoadXmlFile(u"\\SDMMC\\end.xml"));
    EXPECT_EQ("x", Utf8(atEnd.GetRootElem()->GetTagName()));

    // An included file's own directives stay text.
    WriteText("SDMMC/inner.xml", u"<!--\r\n#include_xml \"missing.xml\"\r\n--><x/>");
    WriteText("SDMMC/outer.xml", u"#include_xml \"inner.xml\"\r\n");
    CWceUiXmlDoc outer;
    ASSERT_TRUE(outer.LoadXmlFile(u"\\SDMMC\\outer.xml", TRUE)) << ::testing::PrintToString(m_log.Messages());
    EXPECT_EQ("<!--\r\n#include_xml \"missing.xml\"\r\n-->", Raw(outer.GetFirstItem()));
}

TEST_F(DocTest, XmlIncludeFailuresFailTheLoad)
{
    m_device.WriteHostFile("SDMMC/plain.xml", Utf16File(u"<x/>", false));
    m_device.WriteHostFile("SDMMC/odd.xml", Utf16File(u"<x/>") + "!");
    m_device.WriteHostFile("SDMMC/empty.xml", "");
    m_device.WriteHostFile("SDMMC/mark.xml", Utf16File(u""));
    WriteText("SDMMC/missing.xml", u"#include_xml \"none.xml\"\n<r/>");
    WriteText("SDMMC/plainhost.xml", u"#include_xml \"plain.xml\"\n<r/>");
    WriteText("SDMMC/oddhost.xml", u"#include_xml \"odd.xml\"\n<r/>");
    // An empty file leaves its line (here inside a comment); a file of only the mark takes it.
    WriteText("SDMMC/emptyhost.xml", u"<!--\n#include_xml \"empty.xml\"\n-->\n#include_xml \"mark.xml\"\n<r/>");

    for (LPCWSTR path : {u"\\SDMMC\\missing.xml", u"\\SDMMC\\plainhost.xml", u"\\SDMMC\\oddhost.xml"})
        EXPECT_FALSE(CWceUiXmlDoc().LoadXmlFile(path)) << Utf8(path);
    EXPECT_TRUE(m_log.Contains("CWceUiXmlDoc::ReadIncludeFile, WceUiReadFile \\SDMMC\\none.xml fail"));
    EXPECT_TRUE(m_log.Contains("CWceUiXmlDoc::ReadIncludeFile,\\SDMMC\\plain.xml is not a UNICODE file 2"));
    EXPECT_TRUE(m_log.Contains("CWceUiXmlDoc::ReadIncludeFile, \\SDMMC\\odd.xml is not a UNICODE file 1"));

    CWceUiXmlDoc doc;
    ASSERT_TRUE(doc.LoadXmlFile(u"\\SDMMC\\emptyhost.xml", TRUE));
    EXPECT_EQ("<!--\n#include_xml \"empty.xml\"\n-->", Raw(doc.GetFirstItem()));
    EXPECT_EQ("r", Utf8(doc.GetRootElem()->GetTagName()));
}

// ---------------------------------------------------------------------------------------
// Saving

TEST_F(DocTest, XmlSavesWithTabsCrLfDoubleQuotesAndSelfClosingLeaves)
{
    WriteText("SDMMC/a.xml", u"<?xml version=\"1.0\" encoding=\"unicode\"?>\n<!-- dialog -->\n"
                             u"<dlg name='main'>\n<!-- first -->\n"
                             u"<layer type=\"CWceUiButton\"><style/></layer>\n"
                             u"<empty   ></empty>\n<!-- tail -->\n</dlg>\n");
    CWceUiXmlDoc doc;
    ASSERT_TRUE(doc.LoadXmlFile(u"\\SDMMC\\a.xml", TRUE));
    doc.GetRootElem()->SetAttribute(u"z", u"new");
    const std::u16string expected =
        u"<?xml version=\"1.0\" encoding=\"unicode\"?>\r\n"
        u"<!-- dialog -->\r\n"
        u"<dlg name=\"main\" z=\"new\">\r\n"
        u"\t<!-- first -->\r\n"
        u"\t<layer type=\"CWceUiButton\">\r\n"
        u"\t\t<style/>\r\n"
        u"\t</layer>\r\n"
        u"\t<empty/>\r\n"
        u"\t<!-- tail -->\r\n"
        u"</dlg>\r\n";
    EXPECT_EQ(WideToUtf8(expected), Save(doc, doc.GetFirstItem()));
    // Files get the byte-order mark, in place or under another name.
    ASSERT_TRUE(doc.SaveXmlFile());
    EXPECT_EQ(Utf16File(expected), m_device.ReadHostFile("SDMMC/a.xml"));
    ASSERT_TRUE(doc.SaveXmlFile(u"\\SDMMC\\copy.xml"));
    EXPECT_EQ(Utf16File(expected), m_device.ReadHostFile("SDMMC/copy.xml"));
    // From an element: its subtree only.
    CWceUiXmlElem* pLayer = doc.GetRootElem()->FindChild(u"layer");
    EXPECT_EQ("\t<layer type=\"CWceUiButton\">\r\n\t\t<style/>\r\n\t</layer>\r\n", Save(doc, pLayer));
}

TEST_F(DocTest, XmlDocumentStartingWithACommentCannotBeSaved)
{
    CWceUiXmlDoc doc;
    ASSERT_TRUE(doc.LoadXmlStr(u"<!-- first --><a/>", TRUE));
    LPWSTR pText = nullptr;
    EXPECT_FALSE(doc.SaveElemToString(&pText, doc.GetFirstItem()));
    EXPECT_EQ(nullptr, pText);
    EXPECT_FALSE(doc.SaveXmlFile(u"\\SDMMC\\out.xml"));
    EXPECT_EQ("<a/>\r\n", Save(doc, doc.GetRootElem()));
}

TEST_F(DocTest, XmlCreatedDocumentSavesWithItsDeclaration)
{
    CWceUiXmlDoc doc;
    EXPECT_FALSE(doc.AddXmlDeclaration());  // no root yet
    CWceUiXmlElem* pRoot = doc.CreateRootElem(u"wceui");
    ASSERT_NE(nullptr, pRoot);
    EXPECT_EQ(nullptr, doc.CreateRootElem(u"second"));
    ASSERT_TRUE(doc.AddXmlDeclaration());
    pRoot->SetAttribute(u"width", u"800");
    EXPECT_EQ("<?xml version=\"1.0\" encoding=\"unicode\" standalone=\"yes\" ?>\r\n<wceui width=\"800\"/>\r\n",
              Save(doc, doc.GetFirstItem()));
    EXPECT_FALSE(doc.SaveXmlFile());  // no path to save to
}

// ---------------------------------------------------------------------------------------
// Editing

TEST_F(DocTest, XmlInsertedChildrenKeepTheDocumentDepthFirst)
{
    CWceUiXmlDoc doc;
    ASSERT_TRUE(doc.LoadXmlStr(u"<r><a><a1/></a><!--cb--><b/></r>", TRUE));
    CWceUiXmlElem* pRoot = doc.GetRootElem();
    CWceUiXmlElem* pA = pRoot->FindChild(u"a");
    CWceUiXmlElem* pB = pRoot->FindChild(u"b");

    CWceUiXmlElem* pX = pRoot->InsertChildAfter(pA, u"x");
    ASSERT_NE(nullptr, pX);
    EXPECT_EQ(pX, pA->GetNextSibling());
    EXPECT_EQ(pB, doc.GetNextItem(pX));  // after the comment, before b
    ASSERT_NE(nullptr, pRoot->InsertChildBefore(nullptr, u"first"));
    ASSERT_NE(nullptr, pRoot->InsertChildAfter(nullptr, u"last"));
    ASSERT_NE(nullptr, pB->InsertChildBefore(nullptr, u"b1"));
    CWceUiXmlElem* pBefore = pRoot->InsertChildBefore(pB, u"beforeB");
    EXPECT_EQ(pBefore, pB->GetPrevSibling());
    ASSERT_NE(nullptr, pA->FindChild(u"a1")->InsertChildAfter(nullptr, u"deep"));
    ExpectConsistent(doc);

    // A child is removed with its subtree and the comments up to the next element.
    EXPECT_TRUE(pRoot->RemoveChild(pA));
    ExpectConsistent(doc);
    EXPECT_EQ(7, doc.GetItemCount());  // r first x beforeB b b1 last: a, a1, the comment, deep gone
    EXPECT_TRUE(pX->SetAttribute(u"k", u"1"));
    EXPECT_TRUE(pX->SetAttribute(u"K", u"2"));
    EXPECT_TRUE(pX->SetAttribute(u"gone", u"3"));
    EXPECT_TRUE(pX->RemoveAttribute(u"GONE"));
    EXPECT_TRUE(pRoot->RemoveChild(pBefore));
    EXPECT_TRUE(pB->SetComment(u"old"));
    EXPECT_TRUE(pB->SetComment(u"note"));
    EXPECT_EQ("<r>\r\n\t<first/>\r\n\t<x k=\"2\"/>\r\n\t<!--note-->\r\n\t<b>\r\n\t\t<b1/>\r\n\t</b>\r\n\t<last/>\r\n"
              "</r>\r\n", Save(doc, pRoot));
    EXPECT_TRUE(pB->RemoveComment());
    EXPECT_EQ(6, doc.GetItemCount());
}

// An element keeps its attributes side by side: added ones grow the run, copied elsewhere
// when another element's run follows it; removing one closes the gap; the walk stays
// within the element.
TEST_F(DocTest, XmlAttributesGrowAndShrinkInOrder)
{
    CWceUiXmlDoc doc;
    ASSERT_TRUE(doc.LoadXmlStr(u"<r a0='0'><c b='1'/></r>"));
    CWceUiXmlElem* pRoot = doc.GetRootElem();
    CWceUiXmlElem* pChild = pRoot->GetFirstChild();
    std::vector<std::string> expected = {"a0=0"};
    for (int i = 1; i < 40; ++i) {
        const std::u16string name = u"a" + Utf8ToWide(std::to_string(i));
        ASSERT_TRUE(pRoot->SetAttribute(name.c_str(), name.c_str()));
        ASSERT_TRUE(pChild->SetAttribute(name.c_str(), u"c"));  // the two runs take turns
        expected.push_back(WideToUtf8(name) + "=" + WideToUtf8(name));
    }
    ASSERT_TRUE(pRoot->RemoveAttribute(u"A17"));
    expected.erase(expected.begin() + 17);
    ASSERT_TRUE(pRoot->SetAttribute(u"a3", u"changed"));
    expected[3] = "a3=changed";
    std::vector<std::string> actual;
    for (CWceUiXmlAttr* pAttr = pRoot->GetFirstAttribute(); pAttr; pAttr = pRoot->GetNextAttribute(pAttr))
        actual.push_back(Utf8(pAttr->GetName()) + "=" + Utf8(pAttr->GetValue()));
    EXPECT_EQ(expected, actual);
    EXPECT_EQ(39, pRoot->GetAttributeCount());
    EXPECT_EQ(40, pChild->GetAttributeCount());
    EXPECT_EQ("1", Utf8(pChild->GetAttribute(u"b")));
    EXPECT_EQ(nullptr, pRoot->GetNextAttribute(pChild->GetFirstAttribute()));
    ExpectConsistent(doc);
}

// 32 open elements and a self-closing leaf load, stay editable and save; 33 do not load.
TEST_F(DocTest, XmlThirtyTwoLevelsLoadEditAndSaveThirtyThreeFail)
{
    CWceUiXmlDoc doc;
    ASSERT_TRUE(doc.LoadXmlStr(Nested(32, true).c_str()));
    std::u16string path = u"e1";
    for (int i = 2; i < 32; ++i) path += u"/e" + Utf8ToWide(std::to_string(i));
    path += u"/leaf";  // 32 names, the most a path may have
    CWceUiXmlElem* pLeaf = doc.GetRootElem()->FindElemByPath(path.c_str());
    ASSERT_NE(nullptr, pLeaf);
    EXPECT_EQ(32, pLeaf->GetLevel());

    EXPECT_EQ(nullptr, pLeaf->InsertChildAfter(nullptr, u"tooDeep"));
    EXPECT_EQ(nullptr, pLeaf->InsertChildBefore(nullptr, u"tooDeep"));
    EXPECT_EQ(nullptr, doc.GetRootElem()->FindElemByPath((path + u"/x").c_str()));
    EXPECT_EQ(3u, m_log.Messages().size());
    CWceUiXmlElem* pSibling = pLeaf->GetParent()->InsertChildBefore(pLeaf, u"sibling");
    ASSERT_NE(nullptr, pSibling);
    EXPECT_EQ(32, pSibling->GetLevel());
    ExpectConsistent(doc);
    // The saved text loads again and saves the same.
    const std::string saved = Save(doc, doc.GetFirstItem());
    CWceUiXmlDoc again;
    ASSERT_TRUE(again.LoadXmlStr(Utf8ToWide(saved).c_str()));
    EXPECT_EQ(saved, Save(again, again.GetFirstItem()));

    m_log.Clear();
    CWceUiXmlDoc deeper;
    EXPECT_FALSE(deeper.LoadXmlStr(Nested(33, false).c_str()));
    EXPECT_EQ((std::vector<std::string>{"ParseXmlTag 017", "ParseXml 009"}), SyntaxErrors(m_log.Messages()));
}
