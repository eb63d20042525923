// A text handed to the XML document is scanned in blocks of units that may reach past the
// end of a name, a value or the text: where the text starts in memory and how long each
// piece is must not change what is parsed.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "WceUiXml.h"
#include "wce/wstring.h"

namespace {

TEST(XmlTextPlacement, EveryStartAndLengthParsesTheWholeText)
{
    alignas(16) char16_t buffer[512];
    const char16_t kSpaces[] = u" \t\r\n";
    for (size_t n = 0; n < 40; ++n) {
        // Names and values of n units (names of n + 1), runs of n spaces of every kind
        // around '=' and before the tag's end, and a control unit inside a name.
        const std::u16string tag = u"t" + std::u16string(n, u'g');
        const std::u16string name = std::u16string(n, u'n') + u"\x01";
        const std::u16string value(n, n % 2 ? u'"' : u'v');
        std::u16string spaces;
        for (size_t i = 0; i < n; ++i) spaces += kSpaces[i % 4];
        const char16_t quote = n % 2 ? u'\'' : u'"';
        const std::u16string text = u"<" + tag + u" " + name + spaces + u"=" + spaces + quote + value + quote +
                                    spaces + u"/>" + spaces;
        for (size_t nStart = 0; nStart < 8; ++nStart) {
            ASSERT_LT(nStart + text.size() + 1, sizeof(buffer) / sizeof(buffer[0]));
            // Zeros before the text must not count, and only the terminator may end it.
            for (char16_t& c : buffer) c = u'x';
            for (size_t i = 0; i < nStart; ++i) buffer[i] = 0;
            text.copy(buffer + nStart, text.size());
            buffer[nStart + text.size()] = 0;
            CWceUiXmlDoc doc;
            ASSERT_TRUE(doc.LoadXmlStr(buffer + nStart)) << n << " at " << nStart;
            CWceUiXmlElem* pRoot = doc.GetRootElem();
            ASSERT_NE(nullptr, pRoot);
            EXPECT_EQ(tag, std::u16string(pRoot->GetTagName())) << n << " at " << nStart;
            ASSERT_EQ(1, pRoot->GetAttributeCount());
            EXPECT_EQ(name, std::u16string(pRoot->GetFirstAttribute()->GetName())) << n << " at " << nStart;
            EXPECT_EQ(value, std::u16string(pRoot->GetAttribute(name.c_str()))) << n << " at " << nStart;
        }
    }
}

}  // namespace
