#include <functional>
#include <string>
#include <vector>

#include "WceUiXml.h"
#include "doc_test_helpers.h"

namespace {

std::string Utf8(LPCWSTR s) { return s ? WideToUtf8(s) : std::string("(null)"); }

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
        if (0 != m.find(prefix) || std::string::npos == comma || std::string::npos == code) {
            codes.push_back(m);
            continue;
        }
        codes.push_back(m.substr(prefix.size(), comma - prefix.size()) + " " + m.substr(code + 15));
    }
    return codes;
}

// The elements of the access list must be the depth-first order of the tree, with levels
// and parents that agree.
void ExpectConsistent(CWceUiXmlDoc& doc)
{
    std::vector<CWceUiXmlElem*> expected;
    std::function<void(CWceUiXmlElem*)> walk = [&](CWceUiXmlElem* pElem) {
        expected.push_back(pElem);
        int nChildren = 0;
        for (CWceUiXmlElem* pChild = pElem->GetFirstChild(); pChild; pChild = pChild->GetNextSibling()) {
            EXPECT_EQ(pElem, pChild->GetParent());
            EXPECT_EQ(pElem->GetLevel() + 1, pChild->GetLevel());
            walk(pChild);
            ++nChildren;
        }
        EXPECT_EQ(nChildren, pElem->GetChildCount());
    };
    if (doc.GetRootElem()) walk(doc.GetRootElem());
    std::vector<CWceUiXmlElem*> actual;
    int nItems = 0;
    for (CWceUiXmlElem* pItem = doc.GetFirstItem(); pItem; pItem = doc.GetNextItem(pItem)) {
        ++nItems;
        if (XML_ELEM_NODE == pItem->GetType()) actual.push_back(pItem);
        else EXPECT_EQ(0, pItem->GetLevel());
    }
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
                               u"</dlg>\r\n",
                               TRUE));
    EXPECT_TRUE(doc.IsLoaded());
    EXPECT_TRUE(m_log.Messages().empty());

    CWceUiXmlElem* pItem = doc.GetFirstItem();
    ASSERT_NE(nullptr, pItem);
    EXPECT_EQ(XML_ELEM_DECLARE, pItem->GetType());
    EXPECT_EQ("<?xml version=\"1.0\"?>",
              WideToUtf8(std::u16string(pItem->m_pRawStart, pItem->m_pRawEnd - pItem->m_pRawStart + 1)));
    pItem = doc.GetNextItem(pItem);
    ASSERT_EQ(XML_ELEM_COMMENT, pItem->GetType());
    EXPECT_EQ("<!-- top -->", WideToUtf8(std::u16string(pItem->m_pRawStart, pItem->m_pRawEnd + 1)));

    CWceUiXmlElem* pRoot = doc.GetRootElem();
    ASSERT_EQ(doc.GetNextItem(pItem), pRoot);
    EXPECT_EQ("Dlg", Utf8(pRoot->GetTagName()));
    EXPECT_EQ(0, pRoot->GetLevel());
    EXPECT_EQ(nullptr, pRoot->GetParent());
    EXPECT_EQ(3, pRoot->GetAttributeCount());
    EXPECT_EQ("main", Utf8(pRoot->GetAttribute(u"NAME")));
    EXPECT_EQ("1", Utf8(pRoot->GetAttribute(u"x")));
    EXPECT_EQ("2", Utf8(pRoot->GetAttribute(u"y")));
    EXPECT_EQ(nullptr, pRoot->GetAttribute(u"z"));
    CWceUiXmlAttr* pAttr = pRoot->GetFirstAttribute();
    EXPECT_EQ("name", Utf8(pAttr->GetName()));
    EXPECT_EQ("x", Utf8(pRoot->GetNextAttribute(pAttr)->GetName()));

    ASSERT_EQ(2, pRoot->GetChildCount());
    CWceUiXmlElem* pFirst = pRoot->GetFirstChild();
    CWceUiXmlElem* pSecond = pRoot->GetLastChild();
    EXPECT_EQ("a", Utf8(pFirst->GetAttribute(u"type")));
    EXPECT_EQ(pSecond, pRoot->GetNextChild(pFirst));
    EXPECT_EQ(pFirst, pRoot->GetPrevChild(pSecond));
    EXPECT_EQ(pSecond, pFirst->GetNextSibling());
    EXPECT_EQ(nullptr, pSecond->GetNextSibling());
    EXPECT_EQ(pFirst, pRoot->FindChild(u"LAYER"));
    // Each name takes the first matching child only: the first layer has no style.
    EXPECT_EQ(nullptr, pRoot->FindElemByPath(u"layer/Style"));
    EXPECT_EQ(pSecond->GetFirstChild(), pSecond->FindElemByPath(u"STYLE"));
    EXPECT_EQ(2, pSecond->FindElemByPath(u"style")->GetLevel());
    CWceUiXmlDoc other;
    ASSERT_TRUE(other.LoadXmlStr(u"<a><b><c/></b><b/></a>"));
    EXPECT_EQ(u"c", std::u16string(other.GetRootElem()->FindElemByPath(u"B/c")->GetTagName()));
    EXPECT_EQ(nullptr, other.GetRootElem()->FindElemByPath(u"b//c"));
    EXPECT_EQ(nullptr, other.GetRootElem()->FindElemByPath(u"b/c/"));
    ExpectConsistent(doc);
}

TEST_F(DocTest, XmlDropsCommentsUnlessKeptAndSkipsTextBeforeAChild)
{
    CWceUiXmlDoc doc;
    ASSERT_TRUE(doc.LoadXmlStr(u"<!--a--><r>text before a child<c/><!--b--></r><?xml x?>"));
    EXPECT_EQ(3, doc.GetItemCount());  // r, c and the declaration
    EXPECT_EQ(1, doc.GetRootElem()->GetChildCount());
}

TEST_F(DocTest, XmlAttributesNeedNoSpaceBetweenThemAndMayUseEitherQuote)
{
    CWceUiXmlDoc doc;
    ASSERT_TRUE(doc.LoadXmlStr(u"<a b=\"it's\"c='say \"hi\"'d=''/>"));
    CWceUiXmlElem* pRoot = doc.GetRootElem();
    EXPECT_EQ(3, pRoot->GetAttributeCount());
    EXPECT_EQ("it's", Utf8(pRoot->GetAttribute(u"b")));
    EXPECT_EQ("say \"hi\"", Utf8(pRoot->GetAttribute(u"c")));
    EXPECT_EQ("", Utf8(pRoot->GetAttribute(u"d")));
}

TEST_F(DocTest, XmlClosingTagsMatchIgnoringCase)
{
    CWceUiXmlDoc doc;
    EXPECT_TRUE(doc.LoadXmlStr(u"<Layer><Item></ITEM ignored text></layer>"));
    EXPECT_TRUE(m_log.Messages().empty());
}

TEST_F(DocTest, XmlTextOnlyOfCommentsOrSpaceHasNoRoot)
{
    CWceUiXmlDoc doc;
    ASSERT_TRUE(doc.LoadXmlStr(u"  <!-- nothing -->\r\n\t<?xml v?>  \r\n"));
    EXPECT_EQ(nullptr, doc.GetRootElem());
}

struct SyntaxCase {
    const char16_t* pText;
    std::vector<std::string> errors;
};

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
        SyntaxCase{u"<a>", {"ParseXml 001"}},
        SyntaxCase{u"<a/><!-->", {"ParseXml 002"}},
        SyntaxCase{u"<!DOCTYPE a><a/>", {"ParseXml 003"}},
        SyntaxCase{u"<a/><![CDATA[x]]>", {"ParseXml 003"}},
        SyntaxCase{u"<a/><!-- never closed -", {"ParseXml 004"}},
        SyntaxCase{u"<a/><?xm>", {"ParseXml 006"}},
        SyntaxCase{u"<?XML version='1.0'?><a/>", {"ParseXml 007"}},
        SyntaxCase{u"<a/><?xml never closed ?", {"ParseXml 008"}},
        SyntaxCase{u"<a><x></x>err</a>", {"ParseXml 010,attention:<a><x></x>err</a> is not supported"}},
        SyntaxCase{u"<a/>err", {"ParseXml 010,attention:<a><x></x>err</a> is not supported"}},
        SyntaxCase{u"text<a/>", {"ParseXml 010,attention:<a><x></x>err</a> is not supported"}},
        SyntaxCase{u"<a><b/>", {"ParseXml 011"}},
        SyntaxCase{u"<a/><b c=\"1\"", {"ParseXmlTag 012", "ParseXml 009"}},
        SyntaxCase{u"< a></a>", {"ParseXmlTag 013", "ParseXml 009"}},
        SyntaxCase{u"<a=1></a=1>", {"ParseXmlTag 014", "ParseXml 009"}},
        SyntaxCase{u"<a b></a>", {"ParseXmlTag 015", "ParseXml 009"}},
        SyntaxCase{u"<a b=x></a>", {"ParseXmlTag 015", "ParseXml 009"}},
        SyntaxCase{u"<a c='x>", {"HandleXmlTagContent 028", "ParseXmlTag 015", "ParseXml 009"}},
        SyntaxCase{u"<a></a><b></b>", {"ParseXmlTag 016", "ParseXml 009"}},
        SyntaxCase{u"<a>text", {"ParseXmlTag 018", "ParseXml 009"}},
        SyntaxCase{u"< />", {"ParseXmlTag 019", "ParseXml 009"}},
        SyntaxCase{u"<a=b/>", {"ParseXmlTag 020", "ParseXml 009"}},
        SyntaxCase{u"<a b=\"1\" B=\"2\"/>", {"HandleXmlTagContent 029", "ParseXmlTag 021", "ParseXml 009"}},
        SyntaxCase{u"<a b= />", {"HandleXmlTagContent 027", "ParseXmlTag 021", "ParseXml 009"}},
        SyntaxCase{u"<a/><b/>", {"ParseXmlTag 022", "ParseXml 009"}},
        SyntaxCase{u"<a></ a>", {"ParseXmlTag 023", "ParseXml 009"}},
        SyntaxCase{u"</a>", {"ParseXmlTag 024", "ParseXml 009"}},
        SyntaxCase{u"<a><b></a></b>", {"ParseXmlTag 025", "ParseXml 009"}},
        SyntaxCase{u"<a></a/>", {"ParseXmlTag 026", "ParseXml 009"}}));

TEST_F(DocTest, XmlThirtyTwoOpenElementsLoadAndThirtyThreeFail)
{
    CWceUiXmlDoc doc;
    ASSERT_TRUE(doc.LoadXmlStr(Nested(32, true).c_str()));
    CWceUiXmlElem* pLeaf = doc.GetRootElem()->FindElemByPath(
        u"e1/e2/e3/e4/e5/e6/e7/e8/e9/e10/e11/e12/e13/e14/e15/e16/e17/e18/e19/e20/e21/e22/e23/e24/e25/e26/e27/"
        u"e28/e29/e30/e31/leaf");
    ASSERT_NE(nullptr, pLeaf);
    EXPECT_EQ(32, pLeaf->GetLevel());

    CWceUiXmlDoc deeper;
    EXPECT_FALSE(deeper.LoadXmlStr(Nested(33, false).c_str()));
    EXPECT_EQ((std::vector<std::string>{"ParseXmlTag 017", "ParseXml 009"}), SyntaxErrors(m_log.Messages()));
}

// Every cut of a document must fail or load without reading past the text (the sanitizer
// build watches the reads); once the root has begun, only the whole text loads.
TEST_F(DocTest, XmlEveryCutOfADocumentStaysInsideTheText)
{
    const std::u16string text =
        u"<?xml version=\"1.0\"?><!-- c --><r a=\"1\" b='2'><x y=\"3\"/><z></z></r>";
    const size_t nRootStart = text.find(u"<r ");
    for (size_t n = 1; n <= text.size(); ++n) {
        CWceUiXmlDoc doc;
        std::u16string cut = text.substr(0, n);
        BOOL bLoaded = doc.LoadXmlStr(cut.c_str());
        if (n > nRootStart) {
            EXPECT_EQ(n == text.size(), !!bLoaded) << WideToUtf8(cut);
        }

        std::string bytes = Utf16File(cut);
        for (size_t extra = 0; extra < 2; ++extra) {
            CWceUiXmlDoc fromBytes;
            std::string data = bytes.substr(0, bytes.size() - extra);
            fromBytes.LoadXmlData(reinterpret_cast<const BYTE*>(data.data()), static_cast<DWORD>(data.size()),
                                  u"\\SDMMC\\cut.xml");
        }
    }
}

// ---------------------------------------------------------------------------------------
// Files

TEST_F(DocTest, XmlFileNeedsTheMarkAndAnEvenLength)
{
    m_device.WriteHostFile("SDMMC/plain.xml", Utf16File(u"<a/>", false));
    m_device.WriteHostFile("SDMMC/odd.xml", Utf16File(u"<a/>") + "x");
    m_device.WriteHostFile("SDMMC/mark.xml", Utf16File(u""));
    m_device.WriteHostFile("SDMMC/space.xml", Utf16File(u" \r\n\t"));
    WriteText("SDMMC/bad.xml", u"<a></b>");

    CWceUiXmlDoc doc;
    EXPECT_FALSE(doc.LoadXmlFile(u"\\SDMMC\\plain.xml"));
    EXPECT_FALSE(doc.LoadXmlFile(u"\\SDMMC\\odd.xml"));
    EXPECT_FALSE(doc.LoadXmlFile(u"\\SDMMC\\mark.xml"));
    EXPECT_FALSE(doc.LoadXmlFile(u"\\SDMMC\\bad.xml"));
    EXPECT_EQ((std::vector<std::string>{
                  "CWceUiXmlDoc::LoadXmlFile, \\SDMMC\\plain.xml is not a UNICODE file",
                  "CWceUiXmlDoc::LoadXmlFile, the length of \\SDMMC\\odd.xml is odd number, not a UNICODE file",
                  "CWceUiXmlDoc::LoadXmlFile, the length of \\SDMMC\\mark.xml is less than 4",
                  "CWceUiXmlDoc::ParseXmlTag, (\\SDMMC\\bad.xml) syntax error 025",
                  "CWceUiXmlDoc::ParseXml, (\\SDMMC\\bad.xml) syntax error 009",
                  "CWceUiXmlDoc::LoadXmlFile, (\\SDMMC\\bad.xml) syntax error 030",
              }),
              m_log.Messages());
    EXPECT_FALSE(doc.IsLoaded());
    EXPECT_EQ("", Utf8(doc.GetPath()));

    ASSERT_TRUE(doc.LoadXmlFile(u"\\SDMMC\\space.xml"));
    EXPECT_EQ(nullptr, doc.GetRootElem());
    EXPECT_EQ("\\SDMMC\\space.xml", Utf8(doc.GetPath()));
}

TEST_F(DocTest, XmlLoadingTwiceNeedsClean)
{
    WriteText("SDMMC/a.xml", u"<a/>");
    CWceUiXmlDoc doc;
    ASSERT_TRUE(doc.LoadXmlFile(u"\\SDMMC\\a.xml"));
    EXPECT_FALSE(doc.LoadXmlFile(u"\\SDMMC\\a.xml"));
    EXPECT_FALSE(doc.LoadXmlStr(u"<b/>"));
    EXPECT_EQ("a", Utf8(doc.GetRootElem()->GetTagName()));
    ASSERT_GE(m_log.Messages().size(), 2u);
    EXPECT_EQ("CWceUiXmlDoc::LoadXmlFile, can not load \\SDMMC\\a.xml, call clean first", m_log.Messages()[0]);
    EXPECT_EQ("CWceUiXmlDoc::LoadXmlStr fail, please call Clean first", m_log.Messages()[1]);

    doc.Clean();
    m_log.Clear();
    EXPECT_FALSE(doc.LoadXmlFile(u"\\SDMMC\\missing.xml"));
    EXPECT_TRUE(m_log.Contains("CWceUiXmlDoc::LoadXmlFile, WceUiReadFile \\SDMMC\\missing.xml fail"));
    EXPECT_TRUE(doc.LoadXmlStr(u"<b/>"));
}

// ---------------------------------------------------------------------------------------
// #include_xml

TEST_F(DocTest, XmlIncludeReplacesItsLineEvenInsideAComment)
{
    WriteText("SDMMC/skin/common/items.xml", u"<item n=\"1\"/>\r\n<item n=\"2\"/>");
    WriteText("SDMMC/skin/wnd/note.xml", u"included note");
    WriteText("SDMMC/skin/wnd/a.xml",
              u"<list>\r\n"
              u"  \t#include_xml  \"..\\common\\items.xml\"  \r\n"
              u"<!--\r\n"
              u"#include_xml \"note.xml\"\r\n"
              u"-->\r\n"
              u"</list>");
    CWceUiXmlDoc doc;
    ASSERT_TRUE(doc.LoadXmlFile(u"\\SDMMC\\skin\\wnd\\a.xml", TRUE)) << ::testing::PrintToString(m_log.Messages());
    CWceUiXmlElem* pRoot = doc.GetRootElem();
    ASSERT_EQ(2, pRoot->GetChildCount());
    EXPECT_EQ("2", Utf8(pRoot->GetLastChild()->GetAttribute(u"n")));
    CWceUiXmlElem* pComment = doc.GetNextItem(pRoot->GetLastChild());
    ASSERT_EQ(XML_ELEM_COMMENT, pComment->GetType());
    EXPECT_EQ("<!--\r\nincluded note-->",
              WideToUtf8(std::u16string(pComment->m_pRawStart, pComment->m_pRawEnd + 1)));
}

TEST_F(DocTest, XmlIncludeIsOnlyADirectiveAloneOnItsLine)
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
    CWceUiXmlElem* pComment = doc.GetNextItem(doc.GetRootElem());
    EXPECT_EQ("<!-- x #include_xml \"inc.xml\"\r\n#include_xml \"inc.xml\"\r -->",
              WideToUtf8(std::u16string(pComment->m_pRawStart, pComment->m_pRawEnd + 1)));

    // A directive at the very end of the text needs no line end.
    WriteText("SDMMC/end.xml", u"<!-- -->\r\n#include_xml \"inc.xml\"");
    CWceUiXmlDoc atEnd;
    ASSERT_TRUE(atEnd.LoadXmlFile(u"\\SDMMC\\end.xml"));
    EXPECT_EQ("x", Utf8(atEnd.GetRootElem()->GetTagName()));
}

TEST_F(DocTest, XmlIncludesDoNotNest)
{
    WriteText("SDMMC/inner.xml", u"<!--\r\n#include_xml \"missing.xml\"\r\n--><x/>");
    WriteText("SDMMC/a.xml", u"#include_xml \"inner.xml\"\r\n");
    CWceUiXmlDoc doc;
    ASSERT_TRUE(doc.LoadXmlFile(u"\\SDMMC\\a.xml", TRUE)) << ::testing::PrintToString(m_log.Messages());
    CWceUiXmlElem* pComment = doc.GetFirstItem();
    ASSERT_EQ(XML_ELEM_COMMENT, pComment->GetType());
    EXPECT_EQ("<!--\r\n#include_xml \"missing.xml\"\r\n-->",
              WideToUtf8(std::u16string(pComment->m_pRawStart, pComment->m_pRawEnd + 1)));
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

    for (const char16_t* pPath : {u"\\SDMMC\\missing.xml", u"\\SDMMC\\plainhost.xml", u"\\SDMMC\\oddhost.xml"}) {
        CWceUiXmlDoc doc;
        EXPECT_FALSE(doc.LoadXmlFile(pPath)) << Utf8(pPath);
        EXPECT_FALSE(doc.IsLoaded());
    }
    EXPECT_TRUE(m_log.Contains("CWceUiXmlDoc::ReadIncludeFile, WceUiReadFile \\SDMMC\\none.xml fail"));
    EXPECT_TRUE(m_log.Contains("CWceUiXmlDoc::ReadIncludeFile,\\SDMMC\\plain.xml is not a UNICODE file 2"));
    EXPECT_TRUE(m_log.Contains("CWceUiXmlDoc::ReadIncludeFile, \\SDMMC\\odd.xml is not a UNICODE file 1"));

    CWceUiXmlDoc doc;
    ASSERT_TRUE(doc.LoadXmlFile(u"\\SDMMC\\emptyhost.xml", TRUE));
    CWceUiXmlElem* pComment = doc.GetFirstItem();
    EXPECT_EQ("<!--\n#include_xml \"empty.xml\"\n-->",
              WideToUtf8(std::u16string(pComment->m_pRawStart, pComment->m_pRawEnd + 1)));
    EXPECT_EQ("r", Utf8(doc.GetRootElem()->GetTagName()));
}

// ---------------------------------------------------------------------------------------
// Saving

TEST_F(DocTest, XmlSavesWithTabsCrLfDoubleQuotesAndSelfClosingLeaves)
{
    CWceUiXmlDoc doc;
    ASSERT_TRUE(doc.LoadXmlStr(u"<?xml version=\"1.0\" encoding=\"unicode\"?>\n"
                               u"<!-- dialog -->\n"
                               u"<dlg name='main'>\n"
                               u"<!-- first -->\n"
                               u"<layer type=\"CWceUiButton\"><style/></layer>\n"
                               u"<empty   ></empty>\n"
                               u"<!-- tail -->\n"
                               u"</dlg>\n",
                               TRUE));
    EXPECT_EQ("<?xml version=\"1.0\" encoding=\"unicode\"?>\r\n"
              "<!-- dialog -->\r\n"
              "<dlg name=\"main\">\r\n"
              "\t<!-- first -->\r\n"
              "\t<layer type=\"CWceUiButton\">\r\n"
              "\t\t<style/>\r\n"
              "\t</layer>\r\n"
              "\t<empty/>\r\n"
              "\t<!-- tail -->\r\n"
              "</dlg>\r\n",
              Save(doc, doc.GetFirstItem()));
    // From an element: its subtree only.
    CWceUiXmlElem* pLayer = doc.GetRootElem()->FindChild(u"layer");
    EXPECT_EQ("\t<layer type=\"CWceUiButton\">\r\n\t\t<style/>\r\n\t</layer>\r\n", Save(doc, pLayer));
}

TEST_F(DocTest, XmlSaveFileWritesTheMarkAndLoadsBackTheSame)
{
    WriteText("SDMMC/a.xml", u"<?xml v?><a b='1'><c/><d><e/></d></a>");
    CWceUiXmlDoc doc;
    ASSERT_TRUE(doc.LoadXmlFile(u"\\SDMMC\\a.xml"));
    doc.GetRootElem()->SetAttribute(u"z", u"new");
    ASSERT_TRUE(doc.SaveXmlFile());
    std::string saved = m_device.ReadHostFile("SDMMC/a.xml");
    EXPECT_EQ(Utf16File(u"<?xml v?>\r\n<a b=\"1\" z=\"new\">\r\n\t<c/>\r\n\t<d>\r\n\t\t<e/>\r\n\t</d>\r\n</a>\r\n"),
              saved);

    ASSERT_TRUE(doc.SaveXmlFile(u"\\SDMMC\\copy.xml"));
    CWceUiXmlDoc copy;
    ASSERT_TRUE(copy.LoadXmlFile(u"\\SDMMC\\copy.xml"));
    EXPECT_EQ(Save(doc, doc.GetFirstItem()), Save(copy, copy.GetFirstItem()));

    CWceUiXmlDoc fromText;
    ASSERT_TRUE(fromText.LoadXmlStr(u"<a/>"));
    EXPECT_FALSE(fromText.SaveXmlFile());  // no path to save to
}

TEST_F(DocTest, XmlDocumentStartingWithACommentCannotBeSaved)
{
    CWceUiXmlDoc doc;
    ASSERT_TRUE(doc.LoadXmlStr(u"<!-- first --><a/>", TRUE));
    LPWSTR pText = nullptr;
    EXPECT_FALSE(doc.SaveElemToString(&pText, doc.GetFirstItem()));
    EXPECT_EQ(nullptr, pText);
    EXPECT_FALSE(doc.SaveXmlFile(u"\\SDMMC\\out.xml"));
    EXPECT_TRUE(m_log.Contains(
        "CWceUiXmlDoc::SaveElemToString, pXmlElem->m_type is XML_ELEM_COMMENT, can not save"));
    EXPECT_EQ("<a/>\r\n", Save(doc, doc.GetRootElem()));
}

TEST_F(DocTest, XmlCreatedDocumentSavesWithItsDeclaration)
{
    CWceUiXmlDoc doc;
    EXPECT_FALSE(doc.AddXmlDeclaration());
    CWceUiXmlElem* pRoot = doc.CreateRootElem(u"wceui");
    ASSERT_NE(nullptr, pRoot);
    EXPECT_TRUE(doc.IsLoaded());
    EXPECT_EQ(nullptr, doc.CreateRootElem(u"second"));
    ASSERT_TRUE(doc.AddXmlDeclaration());
    pRoot->SetAttribute(u"width", u"800");
    EXPECT_EQ("<?xml version=\"1.0\" encoding=\"unicode\" standalone=\"yes\" ?>\r\n<wceui width=\"800\"/>\r\n",
              Save(doc, doc.GetFirstItem()));
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
    EXPECT_EQ(1, pX->GetLevel());
    EXPECT_EQ(pX, pA->GetNextSibling());
    EXPECT_EQ(pB, doc.GetNextItem(pX));  // after the comment, before b
    CWceUiXmlElem* pFirst = pRoot->InsertChildBefore(nullptr, u"first");
    EXPECT_EQ(pFirst, pRoot->GetFirstChild());
    EXPECT_EQ(pFirst, doc.GetNextItem(pRoot));
    CWceUiXmlElem* pLast = pRoot->InsertChildAfter(nullptr, u"last");
    EXPECT_EQ(pLast, pRoot->GetLastChild());
    CWceUiXmlElem* pB1 = pB->InsertChildBefore(nullptr, u"b1");
    EXPECT_EQ(pB1, doc.GetNextItem(pB));
    EXPECT_EQ(pLast, doc.GetNextItem(pB1));
    CWceUiXmlElem* pBefore = pRoot->InsertChildBefore(pB, u"beforeB");
    EXPECT_EQ(pBefore, pB->GetPrevSibling());
    EXPECT_EQ(pB, doc.GetNextItem(pBefore));
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
    EXPECT_FALSE(pX->RemoveAttribute(u"gone"));
    EXPECT_TRUE(pRoot->RemoveChild(pBefore));
    EXPECT_TRUE(pB->SetComment(u"old"));
    EXPECT_TRUE(pB->SetComment(u"note"));
    EXPECT_EQ("<r>\r\n"
              "\t<first/>\r\n"
              "\t<x k=\"2\"/>\r\n"
              "\t<!--note-->\r\n"
              "\t<b>\r\n"
              "\t\t<b1/>\r\n"
              "\t</b>\r\n"
              "\t<last/>\r\n"
              "</r>\r\n",
              Save(doc, pRoot));
    EXPECT_TRUE(pB->RemoveComment());
    EXPECT_FALSE(pB->RemoveComment());
    EXPECT_EQ(6, doc.GetItemCount());
}

TEST_F(DocTest, XmlEditingStopsAtLevelThirtyTwoAndTheDeepestTreeSaves)
{
    CWceUiXmlDoc doc;
    ASSERT_TRUE(doc.LoadXmlStr(Nested(32, true).c_str()));
    CWceUiXmlElem* pLeaf = doc.GetFirstItem();
    while (pLeaf && 0 != WStrCmp(pLeaf->GetTagName(), u"leaf")) pLeaf = doc.GetNextItem(pLeaf);
    ASSERT_NE(nullptr, pLeaf);
    CWceUiXmlElem* pParent = pLeaf->GetParent();
    ASSERT_EQ(31, pParent->GetLevel());

    EXPECT_EQ(nullptr, pLeaf->InsertChildAfter(nullptr, u"tooDeep"));
    EXPECT_EQ(nullptr, pLeaf->InsertChildBefore(nullptr, u"tooDeep"));
    EXPECT_EQ((std::vector<std::string>{
                  "CWceUiXmlElem::InsertChildAfter, the parent is at level 32, no level below 32 can be added",
                  "CWceUiXmlElem::InsertChildBefore, the parent is at level 32, no level below 32 can be added"}),
              m_log.Messages());
    CWceUiXmlElem* pSibling = pParent->InsertChildBefore(pLeaf, u"sibling");
    ASSERT_NE(nullptr, pSibling);
    EXPECT_EQ(32, pSibling->GetLevel());
    ExpectConsistent(doc);

    // The saved text loads again and saves the same.
    std::string saved = Save(doc, doc.GetFirstItem());
    CWceUiXmlDoc again;
    ASSERT_TRUE(again.LoadXmlStr(Utf8ToWide(saved).c_str()));
    EXPECT_EQ(saved, Save(again, again.GetFirstItem()));
}

TEST_F(DocTest, XmlPathsOfMoreThanThirtyTwoNamesFail)
{
    CWceUiXmlDoc doc;
    ASSERT_TRUE(doc.LoadXmlStr(u"<r><a/></r>"));
    std::u16string path = u"a";
    for (int i = 1; i < 32; ++i) path += u"/a";
    EXPECT_EQ(nullptr, doc.GetRootElem()->FindElemByPath(path.c_str()));
    EXPECT_TRUE(m_log.Messages().empty());
    path += u"/a";
    EXPECT_EQ(nullptr, doc.GetRootElem()->FindElemByPath(path.c_str()));
    ASSERT_EQ(1u, m_log.Messages().size());
    EXPECT_EQ(0u, m_log.Messages()[0].find("CWceUiXmlElem::FindElemByPath, more than 32 names in a/a/a"));
}
