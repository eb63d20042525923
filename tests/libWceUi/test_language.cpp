#include <string>
#include <vector>

#include "JXGVar.h"
#include "JXLanguage.h"
#include "WceUiLoadString.h"
#include "doc_test_helpers.h"

namespace {

CJxLanguage* Language() { return CJxGVar::GetInstance()->GetCJxLanguage(); }

// Language files next to the program ("\\SDMMC\\app.exe"), in "\\SDMMC\\language".
class LanguageTest : public DocTest {
protected:
    void SetUp() override
    {
        DocTest::SetUp();
        WriteText("SDMMC/language/english.ini", u"title=Update\r\nok=OK\r\n42=Forty-two\r\nline=a\\nb\r\n");
        WriteText("SDMMC/language/german.ini", u"title=Aktualisieren\r\nok=OK\r\n42=Zweiundvierzig\r\n");
    }
};

}  // namespace

TEST_F(LanguageTest, TextsComeFromTheFileRelativeToTheProgram)
{
    CJxLanguage* pLanguage = Language();
    ASSERT_TRUE(pLanguage->SetLanguage(u"language\\english.ini", FALSE));
    EXPECT_EQ("language\\english.ini", Utf8(pLanguage->GetLanguagePath()));
    EXPECT_EQ("Update", Utf8(pLanguage->GetString(u"title")));
    EXPECT_EQ("Forty-two", Utf8(pLanguage->GetString(42u)));
    EXPECT_EQ("a\\nb", Utf8(pLanguage->GetString(u"line")));
    EXPECT_EQ(nullptr, pLanguage->GetString(u"missing"));

    ASSERT_TRUE(pLanguage->SetLanguage(u"\\SDMMC\\language\\english.ini", TRUE));
    EXPECT_EQ("a\nb", Utf8(pLanguage->GetString(u"line")));

    // A failed load leaves no language at all.
    EXPECT_FALSE(pLanguage->SetLanguage(u"language\\none.ini", FALSE));
    EXPECT_FALSE(pLanguage->IsLoaded());
    EXPECT_EQ(nullptr, pLanguage->GetString(u"title"));
    EXPECT_EQ("\\SDMMC\\language\\english.ini", Utf8(pLanguage->GetLanguagePath()));
    EXPECT_TRUE(m_log.Contains("CJxConfDoc::LoadFile, Call WceUiReadFile \\SDMMC\\language\\none.ini fail"));
}

TEST_F(LanguageTest, LanguageChangeReachesEveryHolderOnItsNextGet)
{
    ASSERT_TRUE(Language()->SetLanguage(u"language\\english.ini", FALSE));
    CWceUiLoadString title(u"title");
    CWceUiLoadString number(42u);
    CWceUiLoadString copy(title);
    CWceUiLoadString assigned;
    assigned = number;
    CWceUiLoadString later;
    later.SetTextResID(u"ok");
    auto texts = [&] {
        std::vector<std::string> all;
        for (CWceUiLoadString* pHolder : {&title, &number, &copy, &assigned, &later})
            all.push_back(Utf8(pHolder->GetString()));
        return all;
    };
    EXPECT_EQ((std::vector<std::string>{"Update", "Forty-two", "Update", "Forty-two", "OK"}), texts());
    ASSERT_TRUE(Language()->SetLanguage(u"language\\german.ini", FALSE));
    EXPECT_EQ((std::vector<std::string>{"Aktualisieren", "Zweiundvierzig", "Aktualisieren", "Zweiundvierzig", "OK"}),
              texts());
    EXPECT_TRUE(m_log.Messages().empty());
}

TEST_F(LanguageTest, MissingTextIsLoggedOncePerLookupAndShownEmpty)
{
    ASSERT_TRUE(Language()->SetLanguage(u"language\\english.ini", FALSE));
    CWceUiLoadString holder(u"missing");
    EXPECT_EQ("", Utf8(holder.GetString()));
    holder.SetTextResID(u"missing");  // the same id: no new lookup
    EXPECT_EQ("", Utf8(holder.GetString()));
    EXPECT_EQ((std::vector<std::string>{"LoadString missing failed"}), m_log.Messages());

    holder.SetTextResID(u"Title");  // ids compare exactly
    EXPECT_EQ("", Utf8(holder.GetString()));
    holder.SetTextResID(u"");
    EXPECT_EQ("", Utf8(holder.GetString()));  // an empty id is not looked up
    EXPECT_EQ(2u, m_log.Messages().size());
}

TEST_F(LanguageTest, HoldersRegisterForTheirLifetime)
{
    int nBefore = Language()->GetLoadStringItemCount();
    {
        CWceUiLoadString a(u"title");
        CWceUiLoadString b(a);
        std::vector<CWceUiLoadString> many(10);
        EXPECT_EQ(nBefore + 12, Language()->GetLoadStringItemCount());
    }
    EXPECT_EQ(nBefore, Language()->GetLoadStringItemCount());
}
