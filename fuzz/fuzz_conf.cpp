// Feeds whole key=value files to CJxConfDoc (LoadData: byte-order mark, odd lengths, line
// grammar, escapes). Bit 0 of the first byte turns escapes on. A document that loads must
// find every key it holds, and hold no key twice.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>

#include "JxConfDoc.h"
#include "JXGVar.h"
#include "JXWriteLogFile.h"
#include "wce/wstring.h"

namespace {

void Require(bool condition, const char* what)
{
    if (condition) return;
    std::fprintf(stderr, "fuzz_conf: %s\n", what);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool s_bQuiet = (CJxGVar::GetInstance()->GetCJxWriteLogFile()->Close(), true);
    (void)s_bQuiet;  // logging would only slow the runs
    if (size < 1) return 0;
    const BOOL bEscape = (data[0] & 1) ? TRUE : FALSE;

    CJxConfDoc doc;
    if (!doc.LoadData(data + 1, static_cast<DWORD>(size - 1), u"\\d\\fuzz.ini", bEscape)) {
        Require(!doc.IsLoaded() && 0 == doc.GetCount(), "a failed load kept keys");
        return 0;
    }
    std::set<std::u16string> keys;
    int nSeen = 0;
    for (JXPOSITION pos = doc.GetStartPosition(); pos;) {
        LPCWSTR pKey = nullptr;
        LPCWSTR pValue = nullptr;
        doc.GetNextAssoc(pos, pKey, pValue);
        Require(pKey && pKey[0] && pValue, "an empty key or a missing value");
        Require(keys.insert(pKey).second, "a key twice");
        Require(doc.GetValue(pKey) == pValue, "a key that does not find its value");
        ++nSeen;
    }
    Require(nSeen == doc.GetCount(), "the key count");
    Require(doc.GetHashTableSize() == CJxConfDoc::CalcHashTableSize(nSeen), "the table size");
    return 0;
}
