#include "TextWrap.h"

#include <string>
#include <vector>

#include "wce/gdi.h"
#include "wce/gdi_text.h"

namespace {

class CTextMeasure {
public:
    explicit CTextMeasure(HFONT hFont) : m_hDC(CreateCompatibleDC(NULL)), m_hOldFont(NULL)
    {
        if (m_hDC && hFont)
            m_hOldFont = SelectObject(m_hDC, hFont);
    }
    ~CTextMeasure()
    {
        if (!m_hDC)
            return;
        if (m_hOldFont)
            SelectObject(m_hDC, m_hOldFont);
        DeleteDC(m_hDC);
    }
    CTextMeasure(const CTextMeasure&) = delete;
    CTextMeasure& operator=(const CTextMeasure&) = delete;

    BOOL IsReady() const { return m_hDC != NULL && m_hOldFont != NULL; }
    int Width(const std::u16string& s) const
    {
        SIZE size = {0, 0};
        if (!s.empty())
            GetTextExtentPoint32W(m_hDC, s.c_str(), (int)s.size(), &size);
        return size.cx;
    }

private:
    HDC m_hDC;
    HGDIOBJ m_hOldFont;
};

BOOL IsBreakAfter(WCHAR c) { return c == u'\\' || c == u'/'; }
BOOL IsLowSurrogate(WCHAR c) { return c >= 0xDC00 && c <= 0xDFFF; }

// How many units of the word fit after the prefix (0 when none does).
size_t FittingPiece(const CTextMeasure& measure, const std::u16string& strPrefix, const std::u16string& strWord,
                    int nWidth)
{
    size_t nLow = 0, nHigh = strWord.size();
    while (nLow < nHigh) {
        size_t nMid = (nLow + nHigh + 1) / 2;
        if (measure.Width(strPrefix + strWord.substr(0, nMid)) <= nWidth)
            nLow = nMid;
        else
            nHigh = nMid - 1;
    }
    if (nLow >= strWord.size())
        return nLow;
    while (nLow > 0 && IsLowSurrogate(strWord[nLow]))
        --nLow;
    for (size_t i = nLow; i > 0 && i * 2 > nLow; --i) {
        if (IsBreakAfter(strWord[i - 1]))
            return i;
    }
    return nLow;
}

void WrapParagraph(const CTextMeasure& measure, const std::u16string& strText, int nWidth, std::u16string& strOut)
{
    std::vector<std::u16string> words;
    for (size_t nStart = 0;;) {
        size_t nBlank = strText.find(u' ', nStart);
        words.push_back(strText.substr(nStart, nBlank == std::u16string::npos ? nBlank : nBlank - nStart));
        if (nBlank == std::u16string::npos)
            break;
        nStart = nBlank + 1;
    }
    BOOL bFirstLine = TRUE;
    auto emit = [&](const std::u16string& strLine) {
        if (!bFirstLine)
            strOut += u'\n';
        strOut += strLine;
        bFirstLine = FALSE;
    };
    std::u16string strLine;
    for (size_t w = 0; w < words.size(); ++w) {
        std::u16string strWord = words[w];
        if (w > 0 && measure.Width(strLine + u" " + strWord) <= nWidth) {
            strLine += u" " + strWord;
            continue;
        }
        if (measure.Width(strWord) <= nWidth) {
            if (w > 0)
                emit(strLine);
            strLine = strWord;
            continue;
        }
        // Too wide for any line: its pieces fill this line and the next ones.
        std::u16string strPrefix = w == 0 ? std::u16string() : strLine + u" ";
        while (measure.Width(strPrefix + strWord) > nWidth) {
            size_t n = FittingPiece(measure, strPrefix, strWord, nWidth);
            if (n == 0 && !strPrefix.empty()) {
                emit(strLine);
                strPrefix.clear();
                continue;
            }
            if (n == 0)  // not even one character fits: one per line
                n = strWord.size() > 1 && IsLowSurrogate(strWord[1]) ? 2 : 1;
            if (n >= strWord.size())
                break;  // the last piece starts the next line
            emit(strPrefix + strWord.substr(0, n));
            strPrefix.clear();
            strWord.erase(0, n);
        }
        strLine = strPrefix + strWord;
    }
    emit(strLine);
}

}  // namespace

CString WrapToWidth(HFONT hFont, LPCWSTR pText, int nWidth)
{
    std::u16string strText = pText ? pText : u"";
    CTextMeasure measure(hFont);
    if (!measure.IsReady() || nWidth <= 0)
        return CString(strText.c_str());
    std::u16string strOut;
    for (size_t nStart = 0;;) {
        size_t nFeed = strText.find(u'\n', nStart);
        WrapParagraph(measure, strText.substr(nStart, nFeed == std::u16string::npos ? nFeed : nFeed - nStart), nWidth,
                      strOut);
        if (nFeed == std::u16string::npos)
            break;
        strOut += u'\n';
        nStart = nFeed + 1;
    }
    return CString(strOut.c_str());
}
