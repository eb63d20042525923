#include <string>
#include <vector>

#include "JxConfDoc.h"
#include "doc_test_helpers.h"

namespace {

std::string Utf8(LPCWSTR s) { return s ? WideToUtf8(s) : std::string("(null)"); }

// Loads text as the file "\\SDMMC\\t.ini".
bool Load(CJxConfDoc& doc, const std::u16string& text, BOOL bEscape = FALSE)
{
    std::string bytes = Utf16File(text);
    return doc.LoadData(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()),
                        u"\\SDMMC\\t.ini", bEscape);
}

}  // namespace

TEST_F(DocTest, ConfLinesCommentsHeadersAndSpaces)
{
    CJxConfDoc doc;
    ASSERT_TRUE(Load(doc,
                     u"; a comment\r\n"
                     u"  \t; an indented comment = with an equals sign\r\n"
                     u"[section]\r\n"
                     u"\r\n"
                     u"   \r\n"
                     u"title = Update \r\n"
                     u"\tindented=x\n"
                     u"empty=\r\n"
                     u"path=a=b;c\r\n"
                     u"last=no line end"))
        << ::testing::PrintToString(m_log.Messages());
    EXPECT_EQ(5, doc.GetCount());
    EXPECT_EQ("Update ", Utf8(doc.GetValue(u"title")));
    EXPECT_EQ("x", Utf8(doc.GetValue(u"indented")));
    EXPECT_EQ("", Utf8(doc.GetValue(u"empty")));
    EXPECT_EQ("a=b;c", Utf8(doc.GetValue(u"path")));
    EXPECT_EQ("no line end", Utf8(doc.GetValue(u"last")));
    EXPECT_EQ(nullptr, doc.GetValue(u"Title"));  // keys compare exactly
    EXPECT_EQ(nullptr, doc.GetValue(u"section"));
    EXPECT_TRUE(m_log.Messages().empty());
}

TEST_F(DocTest, ConfNumericKeysAndWalking)
{
    CJxConfDoc doc;
    ASSERT_TRUE(Load(doc, u"100=hundred\n7=seven\n"));
    EXPECT_EQ("hundred", Utf8(doc.GetValue(100u)));
    EXPECT_EQ("seven", Utf8(doc.GetValue(7u)));
    EXPECT_EQ(nullptr, doc.GetValue(8u));
    int nSeen = 0;
    for (JXPOSITION pos = doc.GetStartPosition(); pos;) {
        LPCWSTR pKey = nullptr;
        LPCWSTR pValue = nullptr;
        doc.GetNextAssoc(pos, pKey, pValue);
        EXPECT_EQ(Utf8(doc.GetValue(pKey)), Utf8(pValue));
        ++nSeen;
    }
    EXPECT_EQ(2, nSeen);
}

TEST_F(DocTest, ConfLineWithoutEqualsFailsTheWholeDocument)
{
    CJxConfDoc doc;
    EXPECT_FALSE(Load(doc, u"a=1\nword\nb=2\n"));
    EXPECT_FALSE(doc.IsLoaded());
    EXPECT_EQ((std::vector<std::string>{"CJxConfDoc::ParseStr, PrePareLine(\\SDMMC\\t.ini) fail",
                                        "CJxConfDoc::LoadFile, Parse \\SDMMC\\t.ini fail"}),
              m_log.Messages());
}

TEST_F(DocTest, ConfKeysMustStandAloneBeforeTheEqualsSign)
{
    CJxConfDoc doc;
    EXPECT_FALSE(Load(doc, u"two words=1\n"));
    EXPECT_FALSE(Load(doc, u"  =1\n"));
    EXPECT_FALSE(Load(doc, u"two words=\\n\n", TRUE));
    EXPECT_EQ((std::vector<std::string>{
                  "CJxConfDoc::ParseLineNoSlash, Parse \\SDMMC\\t.ini fail 2",
                  "CJxConfDoc::ParseStr, ParseLineNoSlash(\\SDMMC\\t.ini) fail",
                  "CJxConfDoc::LoadFile, Parse \\SDMMC\\t.ini fail",
                  "CJxConfDoc::ParseLineNoSlash, Parse \\SDMMC\\t.ini fail 3",
                  "CJxConfDoc::ParseStr, ParseLineNoSlash(\\SDMMC\\t.ini) fail",
                  "CJxConfDoc::LoadFile, Parse \\SDMMC\\t.ini fail",
                  "CJxConfDoc::ParseLineWithSlash, Parse \\SDMMC\\t.ini fail 2",
                  "CJxConfDoc::ParseStr, ParseLineWithSlash(\\SDMMC\\t.ini) fail",
                  "CJxConfDoc::LoadFile, Parse \\SDMMC\\t.ini fail",
              }),
              m_log.Messages());
}

TEST_F(DocTest, ConfEscapesOnlyWhenEnabled)
{
    const std::u16string text = u"nl=a\\nb\ntab=\\t\\r\\\\\nkey\\x=plain\n";
    CJxConfDoc escaped;
    ASSERT_TRUE(Load(escaped, text, TRUE));
    EXPECT_EQ("a\nb", Utf8(escaped.GetValue(u"nl")));
    EXPECT_EQ("\t\r\\", Utf8(escaped.GetValue(u"tab")));
    EXPECT_EQ("plain", Utf8(escaped.GetValue(u"key\\x")));  // keys are never unescaped

    CJxConfDoc plain;
    ASSERT_TRUE(Load(plain, text + u"bad=\\x\n", FALSE));
    EXPECT_EQ("a\\nb", Utf8(plain.GetValue(u"nl")));
    EXPECT_EQ("\\x", Utf8(plain.GetValue(u"bad")));

    CJxConfDoc bad;
    EXPECT_FALSE(Load(bad, u"ok=1\nbad=a\\x\n", TRUE));
    EXPECT_FALSE(Load(bad, u"end=a\\", TRUE));
    EXPECT_EQ((std::vector<std::string>{
                  "CJxConfDoc::ParseLineWithSlash, Parse \\SDMMC\\t.ini fail, \\x is not valid",
                  "CJxConfDoc::ParseStr, ParseLineWithSlash(\\SDMMC\\t.ini) fail",
                  "CJxConfDoc::LoadFile, Parse \\SDMMC\\t.ini fail",
                  "CJxConfDoc::ParseLineWithSlash, Parse \\SDMMC\\t.ini fail, \\ is not valid",
                  "CJxConfDoc::ParseStr, ParseLineWithSlash(\\SDMMC\\t.ini) fail",
                  "CJxConfDoc::LoadFile, Parse \\SDMMC\\t.ini fail",
              }),
              m_log.Messages());
}

TEST_F(DocTest, ConfHashTableIsSizedForItsKeys)
{
    std::u16string text;
    for (int i = 0; i < 40; ++i) text += u"k" + Utf8ToWide(std::to_string(i)) + u"=v\r\n";
    CJxConfDoc doc;
    ASSERT_TRUE(Load(doc, text));
    EXPECT_EQ(40, doc.GetCount());
    EXPECT_EQ(47u, doc.GetHashTableSize());

    EXPECT_EQ(17u, CJxConfDoc::CalcHashTableSize(0));
    EXPECT_EQ(17u, CJxConfDoc::CalcHashTableSize(14));  // m = 17
    EXPECT_EQ(17u, CJxConfDoc::CalcHashTableSize(15));  // m = 18: below, not at most
    EXPECT_EQ(19u, CJxConfDoc::CalcHashTableSize(16));  // m = 20
    EXPECT_EQ(19u, CJxConfDoc::CalcHashTableSize(17));  // m = 21: strictly below 23
    EXPECT_EQ(2477u, CJxConfDoc::CalcHashTableSize(2000));
    EXPECT_EQ(9967u, CJxConfDoc::CalcHashTableSize(7977));   // m = 9971
    EXPECT_EQ(9919u, CJxConfDoc::CalcHashTableSize(7978));   // (9972 / 100) x 100 + 19
    EXPECT_EQ(12519u, CJxConfDoc::CalcHashTableSize(10000));
}

TEST_F(DocTest, ConfFileNeedsTheMarkAndAnEvenLength)
{
    m_device.WriteHostFile("SDMMC/mark.ini", "\xFF\xFE");
    m_device.WriteHostFile("SDMMC/odd.ini", Utf16File(u"a=1") + "\n");
    m_device.WriteHostFile("SDMMC/one.ini", "\xFF");
    m_device.WriteHostFile("SDMMC/plain.ini", Utf16File(u"a=1", false));
    WriteText("SDMMC/lang/en.ini", u"a=1\r\n");

    CJxConfDoc doc;
    ASSERT_TRUE(doc.LoadFile(u"\\SDMMC\\mark.ini", FALSE));  // a valid empty document
    EXPECT_EQ(0, doc.GetCount());
    EXPECT_FALSE(doc.LoadFile(u"\\SDMMC\\mark.ini", FALSE));
    doc.Clean();
    EXPECT_FALSE(doc.LoadFile(u"\\SDMMC\\odd.ini", FALSE));
    EXPECT_FALSE(doc.LoadFile(u"\\SDMMC\\one.ini", FALSE));
    EXPECT_FALSE(doc.LoadFile(u"\\SDMMC\\plain.ini", FALSE));
    EXPECT_FALSE(doc.LoadFile(u"\\SDMMC\\none.ini", FALSE));
    const std::vector<std::string>& m = m_log.Messages();
    ASSERT_GE(m.size(), 5u);
    EXPECT_EQ("CJxConfDoc::LoadFile(\\SDMMC\\mark.ini), already loaded", m[0]);
    EXPECT_EQ("CJxConfDoc::LoadFile, \\SDMMC\\odd.ini is not a valid UNICODE file, the length is 9", m[1]);
    EXPECT_EQ("CJxConfDoc::LoadFile, \\SDMMC\\one.ini is not a valid UNICODE file, the length is 1", m[2]);
    EXPECT_EQ("CJxConfDoc::LoadFile \\SDMMC\\plain.ini is not a valid UNICODE format file", m[3]);
    EXPECT_EQ("CJxConfDoc::LoadFile, Call WceUiReadFile \\SDMMC\\none.ini fail", m.back());

    ASSERT_TRUE(doc.LoadFile(u"\\SDMMC\\lang\\en.ini", FALSE));
    EXPECT_EQ("1", Utf8(doc.GetValue(u"a")));
    EXPECT_EQ("\\SDMMC\\lang\\en.ini", Utf8(doc.GetPath()));
}

// Outside the format: the map could keep only one of the values.
TEST_F(DocTest, ConfDuplicateKeyIsRefusedByName)
{
    CJxConfDoc doc;
    ASSERT_TRUE(Load(doc, u"a=1\nA=2\n"));
    EXPECT_EQ("2", Utf8(doc.GetValue(u"A")));
    doc.Clean();
    EXPECT_FALSE(Load(doc, u"title=1\nother=2\ntitle = 3\n"));
    EXPECT_FALSE(doc.IsLoaded());
    EXPECT_EQ((std::vector<std::string>{"CJxConfDoc::ParseStr, key title is not unique",
                                        "CJxConfDoc::LoadFile, Parse \\SDMMC\\t.ini fail"}),
              m_log.Messages());
}

// Every cut of a document, odd lengths included, loads or fails inside its bytes.
TEST_F(DocTest, ConfEveryCutStaysInsideTheText)
{
    const std::string bytes = Utf16File(u"; c\r\n[s]\r\nkey = a\\tb\\\\\r\nx=\\n");
    for (size_t n = 0; n <= bytes.size(); ++n) {
        for (BOOL bEscape : {FALSE, TRUE}) {
            CJxConfDoc doc;
            doc.LoadData(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<DWORD>(n), u"\\SDMMC\\t.ini",
                         bEscape);
        }
    }
}
