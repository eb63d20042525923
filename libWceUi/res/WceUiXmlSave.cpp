#include "WceUiXml.h"

#include <cstring>
#include <new>

#include "JXCheck.h"
#include "JXWriteLogFile.h"
#include "JXXmlShared.h"
#include "wce/files.h"
#include "wce/wstring.h"

// Saving: the tree back to text, to a string or a file.

namespace {

// Writes the saved text, or only counts it when there is no output.
class CXmlWriter {
public:
    explicit CXmlWriter(LPWSTR pOut) : m_pOut(pOut), m_nLength(0) {}
    void Put(LPCWSTR pText, size_t nLength)
    {
        if (m_pOut) memcpy(m_pOut + m_nLength, pText, nLength * sizeof(WCHAR));
        m_nLength += static_cast<long long>(nLength);
    }
    void Put(LPCWSTR pText) { Put(pText, WStrLen(pText)); }
    void PutTabs(int nCount)
    {
        if (m_pOut)
            for (int i = 0; i < nCount; ++i) m_pOut[m_nLength + i] = u'\t';
        m_nLength += nCount;
    }
    long long GetLength() const { return m_nLength; }

private:
    LPWSTR m_pOut;
    long long m_nLength;
};

void WriteCloseTag(CXmlWriter& writer, const CWceUiXmlElem* pElem)
{
    writer.PutTabs(pElem->GetLevel());
    writer.Put(u"</", 2);
    writer.Put(pElem->GetTagName());
    writer.Put(u">\r\n", 3);
}

}  // namespace

// Walks the items from pStart as the text would read, writing to pOut or, without it, only
// counting. Returns the length, or -1.
long long CWceUiXmlDoc::impSave(CWceUiXmlElem* pStart, LPWSTR pOut)
{
    if (XML_ELEM_COMMENT == pStart->m_type) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::SaveElemToString, pXmlElem->m_type is XML_ELEM_COMMENT, can not save",
                    kXmlDocClass);
        return -1;
    }
    CXmlWriter writer(pOut);
    m_nStack = 0;
    int nLastIndent = 0;
    const CWceUiXmlElem* pPrevElem = NULL;
    const CWceUiXmlElem* pNextElem = NULL;  // the next element after a run of comments
    BOOL bNextElemKnown = FALSE;
    const BOOL bStartIsElem = XML_ELEM_NODE == pStart->m_type;

    for (CWceUiXmlElem* pItem = pStart; pItem; pItem = ItemAt(pItem->m_nAccessNext)) {
        if (XML_ELEM_NODE != pItem->m_type) {
            if (!bNextElemKnown) {
                pNextElem = ItemAt(pItem->m_nAccessNext);
                while (pNextElem && XML_ELEM_NODE != pNextElem->m_type) pNextElem = ItemAt(pNextElem->m_nAccessNext);
                bNextElemKnown = TRUE;
            }
            int nIndent = pNextElem ? pNextElem->m_nLevel : nLastIndent;
            writer.PutTabs(nIndent);
            writer.Put(pItem->m_pText, static_cast<size_t>(pItem->m_pRawEnd - pItem->m_pText) + 1);
            writer.Put(u"\r\n", 2);
            nLastIndent = nIndent;
            continue;
        }
        bNextElemKnown = FALSE;
        if (pItem != pStart && bStartIsElem && pItem->m_nLevel <= pStart->m_nLevel) break;
        if (pPrevElem && pItem != pStart) {
            if (pPrevElem->m_nLevel < pItem->m_nLevel) {
                if (m_nStack >= MAX_STACK) {
                    JxWriteLogW(JX_LOG_ERROR, u"%s::SaveElemToString, more than %d levels, can not save", kXmlDocClass,
                                static_cast<int>(MAX_STACK));
                    m_nStack = 0;
                    return -1;
                }
                m_Stack[m_nStack].pElem = const_cast<CWceUiXmlElem*>(pPrevElem);
                m_Stack[m_nStack].pTagName = pPrevElem->m_pText;
                m_Stack[m_nStack].nElem = 0;
                ++m_nStack;
            } else {
                for (int d = pPrevElem->m_nLevel - pItem->m_nLevel; d > 0 && m_nStack > 0; --d)
                    WriteCloseTag(writer, m_Stack[--m_nStack].pElem);
            }
        }
        writer.PutTabs(pItem->m_nLevel);
        writer.Put(u"<", 1);
        writer.Put(pItem->m_pText);
        for (int i = 0; i < pItem->m_nAttrCount; ++i) {
            writer.Put(u" ", 1);
            writer.Put(pItem->m_pAttrs[i].pName);
            writer.Put(u"=\"", 2);
            writer.Put(pItem->m_pAttrs[i].pValue);
            writer.Put(u"\"", 1);
        }
        if (0 == pItem->m_nChildCount) writer.Put(u"/>\r\n", 4);
        else writer.Put(u">\r\n", 3);
        nLastIndent = pItem->m_nLevel;
        pPrevElem = pItem;
    }
    while (m_nStack > 0) WriteCloseTag(writer, m_Stack[--m_nStack].pElem);
    return writer.GetLength();
}

int CWceUiXmlDoc::GetXmlStringLen(CWceUiXmlElem* pElem)
{
    if (!WCEUI_CHECK("CWceUiXmlDoc::GetXmlStringLen", NULL != pElem && this == pElem->m_pXmlDoc)) return -1;
    long long nLength = impSave(pElem, NULL);
    return nLength < 0 || nLength >= 0x7FFFFFFF ? -1 : static_cast<int>(nLength);
}

BOOL CWceUiXmlDoc::SaveElemToString(LPWSTR* ppXmlStr, CWceUiXmlElem* pElem)
{
    if (!WCEUI_CHECK("CWceUiXmlDoc::SaveElemToString", NULL != ppXmlStr)) return FALSE;
    if (!WCEUI_CHECK("CWceUiXmlDoc::SaveElemToString", NULL != pElem && this == pElem->m_pXmlDoc)) return FALSE;
    *ppXmlStr = NULL;
    int nLength = GetXmlStringLen(pElem);
    if (nLength < 0) return FALSE;
    LPWSTR pText = new (std::nothrow) WCHAR[static_cast<size_t>(nLength) + 1];
    if (NULL == pText) return FALSE;
    impSave(pElem, pText);
    pText[nLength] = 0;
    *ppXmlStr = pText;
    return TRUE;
}

BOOL CWceUiXmlDoc::SaveXmlFile()
{
    if (!m_bLoaded || 0 == m_strPath[0]) return FALSE;
    WCHAR szPath[MAX_PATH];
    WStrCopy(szPath, MAX_PATH, m_strPath);
    return SaveXmlFile(szPath);
}

BOOL CWceUiXmlDoc::SaveXmlFile(LPCWSTR pPath)
{
    if (!WCEUI_CHECK("CWceUiXmlDoc::SaveXmlFile", NULL != pPath)) return FALSE;
    if (!m_bLoaded) return FALSE;
    LPWSTR pText = NULL;
    int nLength = 0;
    if (GetFirstItem()) {
        if (!SaveElemToString(&pText, GetFirstItem())) return FALSE;
        nLength = static_cast<int>(WStrLen(pText));
    }
    HANDLE hFile = CreateFileW(pPath, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (INVALID_HANDLE_VALUE == hFile) {
        JxWriteLogW(JX_LOG_ERROR, u"%s::SaveXmlFile, CreateFile %s fail", kXmlDocClass, pPath);
        delete[] pText;
        return FALSE;
    }
    static const BYTE kByteOrderMark[2] = {0xFF, 0xFE};
    DWORD nWritten = 0;
    BOOL bSaved = WriteFile(hFile, kByteOrderMark, 2, &nWritten, NULL) && 2 == nWritten;
    if (bSaved && nLength > 0) {
        DWORD nBytes = static_cast<DWORD>(nLength) * sizeof(WCHAR);
        bSaved = WriteFile(hFile, pText, nBytes, &nWritten, NULL) && nBytes == nWritten;
    }
    CloseHandle(hFile);
    delete[] pText;
    if (!bSaved) JxWriteLogW(JX_LOG_ERROR, u"%s::SaveXmlFile, WriteFile %s fail", kXmlDocClass, pPath);
    return bSaved;
}
