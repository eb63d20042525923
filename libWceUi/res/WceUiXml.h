// The framework's XML reader and writer for its own narrow dialect: UTF-16 text of
// elements with attributes, comments and declarations; no text content, no entities, no
// DOCTYPE or CDATA. Every deviation is logged as a numbered syntax error.
//
// The parser works in place: the document owns one text buffer, writes NULs into it to end
// names and values, and the items point into it. Strings set later by the editing
// operations are allocated separately; the document tells the two kinds apart by address.
#pragma once

#include "JXRecordPool.h"
#include "wce/types.h"

enum {
    XML_ELEM_COMMENT = 0,  // <!-- ... -->, kept as raw text
    XML_ELEM_DECLARE = 1,  // <?xml ... ?>, kept as raw text
    XML_ELEM_NODE = 2,     // an element
};

class CWceUiXmlDoc;

// One attribute of an element. An element keeps its attributes side by side, so a pointer
// to one holds until that element's attributes are added to or removed.
class CWceUiXmlAttr {
public:
    LPCWSTR GetName() const { return pName; }
    LPCWSTR GetValue() const { return pValue; }

private:
    friend class CWceUiXmlDoc;
    friend class CWceUiXmlElem;
    LPWSTR pName;
    LPWSTR pValue;
};

// One item of a document: an element, a comment or a declaration. Items belong to their
// document, which creates and deletes them. Items name each other by their numbers in the
// document's record pool, which keeps an item at 64 bytes on a 64-bit host.
class CWceUiXmlElem {
public:
    enum { MAX_LEVEL = 32 };  // deepest level the editing operations create

    int GetType() const { return m_type; }
    int GetLevel() const { return m_nLevel; }
    CWceUiXmlDoc* GetXmlDoc() const { return m_pXmlDoc; }

    // Null for comments and declarations.
    LPCWSTR GetTagName() const { return XML_ELEM_NODE == m_type ? m_pText : NULL; }
    CWceUiXmlElem* GetParent() const;
    // A comment's or declaration's text from its '<' to its final '>', both included; null
    // for elements.
    LPCWSTR GetRawStart() const { return XML_ELEM_NODE == m_type ? NULL : m_pText; }
    LPCWSTR GetRawEnd() const { return XML_ELEM_NODE == m_type ? NULL : m_pRawEnd; }

    // The value of the first attribute of that name (case-insensitive), or null.
    LPCWSTR GetAttribute(LPCWSTR pName) const;
    // The first child of that tag name (case-insensitive), or null.
    CWceUiXmlElem* FindChild(LPCWSTR pName) const;

    int GetChildCount() const { return m_nChildCount; }
    CWceUiXmlElem* GetFirstChild() const;
    CWceUiXmlElem* GetLastChild() const;
    CWceUiXmlElem* GetNextChild(const CWceUiXmlElem* pCur) const;
    CWceUiXmlElem* GetPrevChild(const CWceUiXmlElem* pCur) const;
    CWceUiXmlElem* GetNextSibling() const;
    CWceUiXmlElem* GetPrevSibling() const;

    int GetAttributeCount() const { return m_nAttrCount; }
    CWceUiXmlAttr* GetFirstAttribute() const { return m_nAttrCount > 0 ? m_pAttrs : NULL; }
    // The attribute after pCur, which must be one of this element's; null after the last.
    CWceUiXmlAttr* GetNextAttribute(const CWceUiXmlAttr* pCur) const;

    // Tag names separated by '/', each selecting the first matching child of the element
    // reached so far, starting here. At most 32 names; any miss yields null.
    CWceUiXmlElem* FindElemByPath(LPCWSTR pPath) const;

    // Editing (elements only; names and values are copied).
    BOOL SetAttribute(LPCWSTR pName, LPCWSTR pValue);
    BOOL RemoveAttribute(LPCWSTR pName);
    // The new child comes before pBefore (null: first) or after pAfter (null: last). The
    // document order stays depth-first. Refused below level MAX_LEVEL.
    CWceUiXmlElem* InsertChildBefore(CWceUiXmlElem* pBefore, LPCWSTR pTagName);
    CWceUiXmlElem* InsertChildAfter(CWceUiXmlElem* pAfter, LPCWSTR pTagName);
    // Deletes pChild with its subtree and the comments inside it.
    BOOL RemoveChild(CWceUiXmlElem* pChild);
    // The element's comment is the comment item directly before it in document order.
    BOOL SetComment(LPCWSTR pText);
    BOOL RemoveComment();

private:
    friend class CWceUiXmlDoc;
    CWceUiXmlElem() = default;
    ~CWceUiXmlElem() = default;
    CWceUiXmlElem(const CWceUiXmlElem&) = delete;
    CWceUiXmlElem& operator=(const CWceUiXmlElem&) = delete;

    enum {
        FLAG_ATTR_ROOM = 1,  // m_pAttrs has room for the next power of two of attributes
    };

    CWceUiXmlElem* impInsertChild(CWceUiXmlElem* pBefore, CWceUiXmlElem* pAfter, BOOL bAfter, LPCWSTR pTagName,
                                  const char* pOperation);
    CWceUiXmlAttr* FindAttr(LPCWSTR pName) const;
    CWceUiXmlElem* GetComment() const;
    // The first element after this one's subtree in document order, or null.
    CWceUiXmlElem* FirstElemAfterSubtree() const;

    LPWSTR m_pText;  // an element's tag name; a comment's or declaration's '<'
    union {
        CWceUiXmlAttr* m_pAttrs;  // an element's attributes, in document order
        LPWSTR m_pRawEnd;         // a comment's or declaration's final '>'
    };
    CWceUiXmlDoc* m_pXmlDoc;
    // Item numbers, 0 for none.
    DWORD m_nParent;
    DWORD m_nAccessNext;  // the document order, comments and declarations included
    DWORD m_nAccessPre;
    DWORD m_nFirstChild;
    DWORD m_nLastChild;
    DWORD m_nSiblingNext;
    DWORD m_nSiblingPre;
    int m_nChildCount;
    int m_nAttrCount;
    BYTE m_type;
    BYTE m_nLevel;
    BYTE m_nFlags;
};

class CWceUiXmlDoc {
public:
    enum { MAX_STACK = 32 };

    CWceUiXmlDoc();
    ~CWceUiXmlDoc();
    CWceUiXmlDoc(const CWceUiXmlDoc&) = delete;
    CWceUiXmlDoc& operator=(const CWceUiXmlDoc&) = delete;

    // Reads the file through WceUiReadFile (archives too), resolves its #include_xml lines
    // and parses it. The file must be UTF-16LE with its byte-order mark.
    BOOL LoadXmlFile(LPCWSTR pPath, BOOL bKeepComment = FALSE);
    // The same for bytes already read: what LoadXmlFile does after reading pPath.
    BOOL LoadXmlData(const BYTE* pData, DWORD nSize, LPCWSTR pPath, BOOL bKeepComment = FALSE);
    // Parses a copy of the text: no byte-order mark, no includes, no path.
    BOOL LoadXmlStr(LPCWSTR pXmlStr, BOOL bKeepComment = FALSE);
    void Clean();
    BOOL IsLoaded() const { return m_bLoaded; }

    // Null when the text held only comments or declarations.
    CWceUiXmlElem* GetRootElem() const;
    // The path given to LoadXmlFile; empty otherwise.
    LPCWSTR GetPath() const { return m_strPath; }

    // Every item in document order.
    CWceUiXmlElem* GetFirstItem() const { return ItemAt(m_nAccessHead); }
    CWceUiXmlElem* GetNextItem(const CWceUiXmlElem* pCur) const;
    int GetItemCount() const { return m_nItemCount; }

    BOOL SaveXmlFile();
    BOOL SaveXmlFile(LPCWSTR pPath);
    // *ppXmlStr (null on entry) receives the text from pElem on, which the caller frees
    // with delete[].
    BOOL SaveElemToString(LPWSTR* ppXmlStr, CWceUiXmlElem* pElem);
    // The characters SaveElemToString writes, without the terminator; -1 when it fails.
    int GetXmlStringLen(CWceUiXmlElem* pElem);

    CWceUiXmlElem* CreateRootElem(LPCWSTR pTagName);
    BOOL AddXmlDeclaration();

    // Where the last load met its first syntax error: line and column (from 1) in the text
    // as parsed (after "#include_xml" lines are replaced), the code the log names and what it
    // means. FALSE when that load met none.
    BOOL GetFirstSyntaxError(int* pnLine, int* pnColumn, LPCWSTR* ppCode, LPCWSTR* ppMeaning) const;

private:
    friend class CWceUiXmlElem;

    struct CStackEntry {
        CWceUiXmlElem* pElem;
        LPCWSTR pTagName;
        DWORD nElem;
    };

    BOOL CanLoadFile(LPCWSTR pPath) const;
    BOOL ResolveIncludes(size_t& nLength);
    BYTE* ReadIncludeFile(LPCWSTR pPath, DWORD* pdwSize);
    size_t TrimTrailingSpace(size_t nLength);
    BOOL ParseXml(size_t nLength);
    BOOL ParseXmlTag(LPWSTR pTag, LPWSTR pEnd, LPWSTR& pNext);
    BOOL HandleXmlTagContent(CWceUiXmlElem* pElem, LPWSTR pContent, LPWSTR pEnd);
    BOOL AppendRawItem(int nType, LPWSTR pStart, LPWSTR pEnd);
    // Logs the error; the first of a load also keeps its place (pAt, in m_pMemXmlStr).
    BOOL SyntaxError(LPCWSTR pFunction, int nCode, LPCWSTR pAt);
    void ForgetSyntaxError();
    // Ends a name in place, remembering a line feed it overwrites for the error's place.
    void EndNameAt(LPWSTR p)
    {
        if (u'\n' == *p) NoteLostLineFeed(p);
        *p = 0;
    }
    void NoteLostLineFeed(LPCWSTR p);
    long long impSave(CWceUiXmlElem* pStart, LPWSTR pOut);

    CWceUiXmlElem* ItemAt(DWORD nItem) const { return static_cast<CWceUiXmlElem*>(m_ItemPool.At(nItem)); }
    DWORD NumberOf(const CWceUiXmlElem* pItem) const;
    CWceUiXmlElem* NewItem(int nType, DWORD* pnItem);
    // Document order: pItem goes before the item nBefore, at the end for 0.
    void LinkItem(DWORD nItem, CWceUiXmlElem* pItem, DWORD nBefore);
    void UnlinkItem(DWORD nItem, CWceUiXmlElem* pItem);
    // The parent's children: pChild goes before the child nBefore, at the end for 0.
    void LinkChild(CWceUiXmlElem* pParent, DWORD nParent, DWORD nChild, CWceUiXmlElem* pChild, DWORD nBefore);
    void UnlinkChild(CWceUiXmlElem* pParent, DWORD nChild, CWceUiXmlElem* pChild);
    // Room for one more attribute of pElem, or null.
    CWceUiXmlAttr* AddAttrRoom(CWceUiXmlElem* pElem);
    void DeleteItem(DWORD nItem, CWceUiXmlElem* pItem);
    void FreeString(LPWSTR pString);
    BOOL IsInBuffer(LPCWSTR p) const;
    void DeleteAllItems();

    CWceUiXmlElem* m_pRootElem;
    LPWSTR m_pMemXmlStr;
    int m_nMemXmlStr;  // characters, terminator included
    BOOL m_bLoaded;
    WCHAR m_strPath[MAX_PATH];
    BOOL m_bKeepComment;
    CStackEntry m_Stack[MAX_STACK];
    int m_nStack;
    // Every item in document order.
    DWORD m_nAccessHead;
    DWORD m_nAccessTail;
    int m_nItemCount;

    CJxRecordPool m_ItemPool;
    CJxRunArena m_AttrArena;
    BOOL m_bOwnStrings;  // some item holds a string of its own (set by editing)

    int m_nSyntaxLine;  // 0: no syntax error in the last load
    int m_nSyntaxColumn;
    int m_nSyntaxCode;
    int m_nLostLineFeeds;
    LPCWSTR m_pLastLostLineFeed;
    LPCWSTR m_pPrevLostLineFeed;
};

// The walks, inline: style and dialog loading call them for every item.
inline CWceUiXmlElem* CWceUiXmlElem::GetParent() const { return m_pXmlDoc->ItemAt(m_nParent); }
inline CWceUiXmlElem* CWceUiXmlElem::GetFirstChild() const { return m_pXmlDoc->ItemAt(m_nFirstChild); }
inline CWceUiXmlElem* CWceUiXmlElem::GetLastChild() const { return m_pXmlDoc->ItemAt(m_nLastChild); }
inline CWceUiXmlElem* CWceUiXmlElem::GetNextSibling() const { return m_pXmlDoc->ItemAt(m_nSiblingNext); }
inline CWceUiXmlElem* CWceUiXmlElem::GetPrevSibling() const { return m_pXmlDoc->ItemAt(m_nSiblingPre); }
