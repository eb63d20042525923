// A text handed to the XML document is measured in wide steps from an aligned block: where
// it starts in memory and how long it is must not change what is parsed.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "WceUiXml.h"

namespace {

TEST(XmlTextPlacement, EveryStartAndLengthParsesTheWholeText)
{
    alignas(16) char16_t buffer[256];
    for (size_t nValue = 0; nValue < 40; ++nValue) {
        const std::u16string value(nValue, u'v');
        const std::u16string text = u"<a b=\"" + value + u"\"/>";
        for (size_t nStart = 0; nStart < 8; ++nStart) {
            ASSERT_LT(nStart + text.size() + 1, sizeof(buffer) / sizeof(buffer[0]));
            // Zeros before the text must not count, and only the terminator may end it.
            for (char16_t& c : buffer) c = u'x';
            for (size_t i = 0; i < nStart; ++i) buffer[i] = 0;
            text.copy(buffer + nStart, text.size());
            buffer[nStart + text.size()] = 0;
            CWceUiXmlDoc doc;
            ASSERT_TRUE(doc.LoadXmlStr(buffer + nStart)) << nValue << " at " << nStart;
            ASSERT_NE(nullptr, doc.GetRootElem());
            EXPECT_EQ(value, std::u16string(doc.GetRootElem()->GetAttribute(u"b"))) << nValue << " at " << nStart;
        }
    }
}

}  // namespace
