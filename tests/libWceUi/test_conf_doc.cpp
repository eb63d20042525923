#include <string>
#include <vector>

#include "JxConfDoc.h"
#include "doc_test_helpers.h"

namespace {

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
                     u"Title=another key\r\n"
                     u"\tindented=x\n"
                     u"empty=\r\n"
                     u"path=a=b;c\r\n"
                     u"42=forty-two\r\n"
                     u"last=no line end"))
        << ::testing::PrintToString(m_log.Messages());
    EXPECT_EQ(7, doc.GetCount());
    EXPECT_EQ("Update ", Utf8(doc.GetValue(u"title")));
    EXPECT_EQ("another key", Utf8(doc.GetValue(u"Title")));  // keys compare exactly
    EXPECT_EQ("x", Utf8(doc.GetValue(u"indented")));
    EXPECT_EQ("", Utf8(doc.GetValue(u"empty")));
    EXPECT_EQ("a=b;c", Utf8(doc.GetValue(u"path")));
    EXPECT_EQ("forty-two", Utf8(doc.GetValue(42u)));
    EXPECT_EQ("no line end", Utf8(doc.GetValue(u"last")));
    EXPECT_EQ(nullptr, doc.GetValue(u"section"));
    EXPECT_EQ(nullptr, doc.GetValue(4u));
    EXPECT_TRUE(m_log.Messages().empty());
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
}

// One bad line refuses the whole document, logged.
TEST_F(DocTest, ConfRefusedDocuments)
{
    const std::pair<const char16_t*, BOOL> cases[] = {
        {u"a=1\nword\nb=2\n", FALSE},
        {u"two words=1\n", FALSE},
        {u"  =1\n", FALSE},
        {u"two words=\\n\n", TRUE},
        {u"ok=1\nbad=a\\x\n", TRUE},
        {u"end=a\\", TRUE},
        // Outside the format: the map could keep only one of the values.
        {u"title=1\nother=2\ntitle = 3\n", FALSE},
    };
    for (const auto& [pText, bEscape] : cases) {
        m_log.Clear();
        CJxConfDoc doc;
        EXPECT_FALSE(Load(doc, pText, bEscape)) << WideToUtf8(pText);
        EXPECT_FALSE(doc.IsLoaded());
        EXPECT_FALSE(m_log.Messages().empty()) << WideToUtf8(pText);
    }
}

TEST_F(DocTest, ConfHashTableIsSizedForItsKeys)
{
    std::u16string text;
    for (int i = 0; i < 40; ++i) text += u"k" + Utf8ToWide(std::to_string(i)) + u"=v\r\n";
    CJxConfDoc doc;
    ASSERT_TRUE(Load(doc, text));
    EXPECT_EQ(40, doc.GetCount());
    EXPECT_EQ(47u, doc.GetHashTableSize());

    // {keys, size}: 15 keys give m = 18 and 17 (strictly below); 17 give m = 21 and 19;
    // 7977 give m = 9971, the last prime; 7978 give (9972 / 100) x 100 + 19.
    const unsigned sizes[][2] = {{0, 17},      {14, 17},     {15, 17},     {16, 19},     {17, 19},
                                 {2000, 2477}, {7977, 9967}, {7978, 9919}, {10000, 12519}};
    for (const auto& size : sizes) EXPECT_EQ(size[1], CJxConfDoc::CalcHashTableSize(size[0])) << size[0];
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
    for (LPCWSTR path : {u"\\SDMMC\\odd.ini", u"\\SDMMC\\one.ini", u"\\SDMMC\\plain.ini", u"\\SDMMC\\none.ini"})
        EXPECT_FALSE(doc.LoadFile(path, FALSE)) << Utf8(path);
    EXPECT_GE(m_log.Messages().size(), 5u);

    ASSERT_TRUE(doc.LoadFile(u"\\SDMMC\\lang\\en.ini", FALSE));
    EXPECT_EQ("1", Utf8(doc.GetValue(u"a")));
    EXPECT_EQ("\\SDMMC\\lang\\en.ini", Utf8(doc.GetPath()));
}

// Every cut of a document, odd lengths included, loads or fails inside its bytes, and what
// a cut loads is what its text says.
TEST_F(DocTest, ConfEveryCutStaysInsideTheText)
{
    const std::string bytes = Utf16File(u"; c\r\n[s]\r\nkey = a\\tb\\\\\r\nx=\\n");
    // nUnits: after the mark; pKey: null when absent
    struct Cut { size_t nUnits; BOOL bEscape; bool bLoads; const char16_t* pKey; const char16_t* pX; };
    const Cut cuts[] = {
        {0, FALSE, true, nullptr, nullptr},
        {12, FALSE, false, nullptr, nullptr},        // "ke": a key line without '='
        {15, FALSE, true, u"", nullptr},             // "key =": an empty value
        {18, FALSE, true, u"a\\", nullptr},          // "key = a\\" taken as it is
        {18, TRUE, false, nullptr, nullptr},         // ... but a lone escape fails
        {25, TRUE, false, nullptr, nullptr},         // "x"
        {28, FALSE, true, u"a\\tb\\\\", u"\\n"},
        {28, TRUE, true, u"a\tb\\", u"\n"},
    };
    for (size_t n = 0; n <= bytes.size(); ++n) {
        const std::vector<BYTE> data(bytes.begin(), bytes.begin() + n);  // exactly n bytes
        for (BOOL bEscape : {FALSE, TRUE}) {
            CJxConfDoc doc;
            BOOL bLoaded = doc.LoadData(data.data(), static_cast<DWORD>(n), u"\\SDMMC\\t.ini", bEscape);
            if (n < 2 || n % 2) {
                EXPECT_FALSE(bLoaded) << n;
            }
            EXPECT_LE(doc.GetCount(), bLoaded ? 2 : 0) << n;
            for (const Cut& cut : cuts) {
                if (2 + 2 * cut.nUnits != n || cut.bEscape != bEscape) continue;
                EXPECT_EQ(cut.bLoads, !!bLoaded) << n;
                EXPECT_EQ(Utf8(cut.pKey), Utf8(doc.GetValue(u"key"))) << n;
                EXPECT_EQ(Utf8(cut.pX), Utf8(doc.GetValue(u"x"))) << n;
            }
        }
    }
}
