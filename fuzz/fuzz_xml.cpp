// Feeds text to CWceUiXmlDoc. The first byte chooses how:
//   bit 0: keep comments;
//   bit 1: the rest is a whole file's bytes (LoadXmlData: byte-order mark, odd lengths,
//          #include_xml against the files below), else UTF-16LE units for LoadXmlStr.
// A document that loads must hold together, save, load again from what it saved and save
// the same text; then it is edited and must still hold together.
#include <stdlib.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "WceUiCommon.h"
#include "WceUiXml.h"
#include "wce/host.h"
#include "wce/wstring.h"

namespace fs = std::filesystem;

namespace {

void Require(bool condition, const char* what)
{
    if (condition) return;
    std::fprintf(stderr, "fuzz_xml: %s\n", what);
    std::abort();
}

// Included files for "#include_xml": a good one, one without the mark, an odd one, an
// empty one, and one with a directive of its own.
class FuzzDevice {
public:
    FuzzDevice()
    {
        std::string pattern = (fs::temp_directory_path() / "fuzz-xml-XXXXXX").string();
        Require(mkdtemp(pattern.data()) != nullptr, "cannot make the device folder");
        m_root = pattern;
        fs::create_directories(m_root + "/d/sub");
        Write("d/inc.xml", Utf16(u"<i/>", true));
        Write("d/sub/plain.xml", Utf16(u"<i/>", false));
        Write("d/odd.xml", Utf16(u"<", true).substr(0, 3));
        Write("d/empty.xml", "");
        Write("d/nested.xml", Utf16(u"#include_xml \"inc.xml\"", true));
        wce::host::SetDeviceRoot(m_root);
        // Logging would only slow every run down.
        WceUiCloseLogFile();
    }
    ~FuzzDevice()
    {
        std::error_code ignored;
        fs::remove_all(m_root, ignored);
    }

private:
    static std::string Utf16(const std::u16string& text, bool bMark)
    {
        std::string bytes = bMark ? std::string("\xFF\xFE") : std::string();
        for (char16_t c : text) bytes += std::string{static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
        return bytes;
    }
    void Write(const std::string& relative, const std::string& bytes)
    {
        std::ofstream out(m_root + "/" + relative, std::ios::binary);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    std::string m_root;
};

// Levels, parents and the depth-first order of the access list agree.
void CheckTree(CWceUiXmlDoc& doc)
{
    std::vector<CWceUiXmlElem*> open;
    int nItems = 0;
    for (CWceUiXmlElem* pItem = doc.GetFirstItem(); pItem; pItem = doc.GetNextItem(pItem)) {
        ++nItems;
        if (XML_ELEM_NODE != pItem->GetType()) {
            Require(0 == pItem->GetLevel() && nullptr == pItem->GetParent(), "a comment with a level or parent");
            continue;
        }
        while (!open.empty() && open.back()->GetLevel() >= pItem->GetLevel()) open.pop_back();
        Require(static_cast<int>(open.size()) == pItem->GetLevel(), "a level that skips");
        Require((open.empty() ? nullptr : open.back()) == pItem->GetParent(), "a parent out of document order");
        Require(pItem->GetLevel() <= CWceUiXmlElem::MAX_LEVEL, "too deep");
        open.push_back(pItem);
    }
    Require(nItems == doc.GetItemCount(), "the item count");
}

// Saving writes values between double quotes and closes an element by its name: values
// holding '"' and names ending in '/' cannot come back the same.
bool SavesFaithfully(CWceUiXmlDoc& doc)
{
    for (CWceUiXmlElem* pItem = doc.GetFirstItem(); pItem; pItem = doc.GetNextItem(pItem)) {
        if (XML_ELEM_NODE != pItem->GetType()) continue;
        std::u16string name = pItem->GetTagName();
        if (name.back() == u'/') return false;
        for (CWceUiXmlAttr* pAttr = pItem->GetFirstAttribute(); pAttr; pAttr = pItem->GetNextAttribute(pAttr))
            if (std::u16string(pAttr->GetValue()).find(u'"') != std::u16string::npos) return false;
    }
    return true;
}

std::u16string SaveAll(CWceUiXmlDoc& doc, bool& saved)
{
    LPWSTR pText = nullptr;
    saved = doc.GetFirstItem() && doc.SaveElemToString(&pText, doc.GetFirstItem());
    std::u16string text = saved ? std::u16string(pText) : std::u16string();
    delete[] pText;
    return text;
}

void Exercise(CWceUiXmlDoc& doc, BOOL bKeepComment)
{
    CheckTree(doc);
    bool saved = false;
    std::u16string text = SaveAll(doc, saved);
    if (saved) {
        Require(static_cast<int>(text.size()) == doc.GetXmlStringLen(doc.GetFirstItem()), "the length of the text");
        if (!text.empty() && SavesFaithfully(doc)) {
            CWceUiXmlDoc again;
            Require(again.LoadXmlStr(text.c_str(), bKeepComment), "the saved text does not load");
            bool savedAgain = false;
            Require(SaveAll(again, savedAgain) == text && savedAgain, "the saved text saves differently");
        }
    }

    CWceUiXmlElem* pRoot = doc.GetRootElem();
    if (!pRoot) return;
    CWceUiXmlElem* pFirst = pRoot->GetFirstChild();
    pRoot->InsertChildAfter(nullptr, u"last");
    pRoot->InsertChildBefore(pFirst, u"first");
    pRoot->SetAttribute(u"added", u"v");
    if (pFirst) {
        pFirst->SetComment(u"c");
        CWceUiXmlElem* pDeepest = pFirst;
        while (pDeepest->GetLastChild()) pDeepest = pDeepest->GetLastChild();
        pDeepest->InsertChildAfter(nullptr, u"leaf");  // refused below level 32
        pRoot->FindElemByPath(pFirst->GetTagName());
        pRoot->RemoveChild(pFirst);
    }
    CheckTree(doc);
    SaveAll(doc, saved);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static FuzzDevice device;
    if (size < 1) return 0;
    const BOOL bKeepComment = (data[0] & 1) ? TRUE : FALSE;
    const bool bFile = (data[0] & 2) != 0;
    ++data;
    --size;

    CWceUiXmlDoc doc;
    BOOL bLoaded;
    if (bFile) {
        bLoaded = doc.LoadXmlData(data, static_cast<DWORD>(size), u"\\d\\doc.xml", bKeepComment);
    } else {
        std::u16string text;
        for (std::size_t i = 0; i + 1 < size; i += 2) {
            char16_t c = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
            if (0 == c) break;
            text += c;
        }
        if (text.empty()) return 0;
        bLoaded = doc.LoadXmlStr(text.c_str(), bKeepComment);
    }
    if (!bLoaded) {
        Require(!doc.IsLoaded() && nullptr == doc.GetFirstItem(), "a failed load left items");
        return 0;
    }
    Exercise(doc, bKeepComment);
    return 0;
}
