// The framework's XML reader and writer for its own narrow dialect: UTF-16 text of
// elements with attributes, comments and declarations; no text content, no entities, no
// DOCTYPE or CDATA. Every deviation is logged as a numbered syntax error.
//
// The parser works in place: the document owns one text buffer, writes NULs into it to end
// names and values, and the items point into it. Strings set later by the editing
// operations are allocated separately; the document tells the two kinds apart by address.
#pragma once

#include "JXRecordPool.h"
#include "WceUiHTList.h"
#include "wce/types.h"

enum {
    XML_ELEM_COMMENT = 0,  // <!-- ... -->, kept as raw text
    XML_ELEM_DECLARE = 1,  // <?xml ... ?>, kept as raw text
    XML_ELEM_NODE = 2,     // an element
};

class CWceUiXmlDoc;

// One attribute of an element. The fields are public for the document's lists; change
// them only through CWceUiXmlElem.
class CWceUiXmlAttr {
public:
    LPCWSTR GetName() const { return pName; }
    LPCWSTR GetValue() const { return pValue; }

    LPWSTR pName;
    LPWSTR pValue;
    CWceUiXmlAttr* pPre;
    CWceUiXmlAttr* pNext;

private:
    friend class CWceUiXmlDoc;
    friend class CWceUiXmlElem;
    CWceUiXmlAttr() : pName(NULL), pValue(NULL), pPre(NULL), pNext(NULL) {}
    ~CWceUiXmlAttr() = default;
};

// One item of a document: an element, a comment or a declaration. Items belong to their
// document, which creates and deletes them.
class CWceUiXmlElem {
public:
    enum { MAX_LEVEL = 32 };  // deepest level the editing operations create

    int GetType() const { return m_type; }
    int GetLevel() const { return m_nLevel; }
    CWceUiXmlDoc* GetXmlDoc() const { return m_pXmlDoc; }

    LPCWSTR GetTagName() const { return m_pTagName; }
    CWceUiXmlElem* GetParent() const { return m_pParent; }

    // The value of the first attribute of that name (case-insensitive), or null.
    LPCWSTR GetAttribute(LPCWSTR pName) const;
    // The first child of that tag name (case-insensitive), or null.
    CWceUiXmlElem* FindChild(LPCWSTR pName) const;

    int GetChildCount() const { return m_ChildList.GetCount(); }
    CWceUiXmlElem* GetFirstChild() const { return static_cast<CWceUiXmlElem*>(m_ChildList.GetHead()); }
    CWceUiXmlElem* GetLastChild() const { return static_cast<CWceUiXmlElem*>(m_ChildList.GetTail()); }
    CWceUiXmlElem* GetNextChild(const CWceUiXmlElem* pCur) const;
    CWceUiXmlElem* GetPrevChild(const CWceUiXmlElem* pCur) const;
    CWceUiXmlElem* GetNextSibling() const { return m_pSiblingNext; }
    CWceUiXmlElem* GetPrevSibling() const { return m_pSiblingPre; }

    int GetAttributeCount() const { return m_AttrList.GetCount(); }
    CWceUiXmlAttr* GetFirstAttribute() const { return static_cast<CWceUiXmlAttr*>(m_AttrList.GetHead()); }
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

    // The fields, in this order. Public so that the document and its walks reach them
    // directly; the link fields are the lists' business.
    int m_nLevel;
    LPWSTR m_pTagName;
    CWceUiHTList m_AttrList;
    LPWSTR m_pRawStart;  // comment or declaration: its '<'
    LPWSTR m_pRawEnd;    // and its final '>'
    int m_type;
    CWceUiXmlDoc* m_pXmlDoc;
    CWceUiXmlElem* m_pParent;
    CWceUiXmlElem* m_pAccessNext;
    CWceUiXmlElem* m_pAccessPre;
    CWceUiHTList m_ChildList;
    CWceUiXmlElem* m_pSiblingPre;
    CWceUiXmlElem* m_pSiblingNext;

private:
    friend class CWceUiXmlDoc;
    CWceUiXmlElem();
    ~CWceUiXmlElem() = default;
    CWceUiXmlElem(const CWceUiXmlElem&) = delete;
    CWceUiXmlElem& operator=(const CWceUiXmlElem&) = delete;

    CWceUiXmlElem* impInsertChild(CWceUiXmlElem* pBefore, CWceUiXmlElem* pAfter, BOOL bAfter, LPCWSTR pTagName,
                                  const char* pOperation);
    CWceUiXmlAttr* FindAttr(LPCWSTR pName) const;
    CWceUiXmlElem* GetComment() const;
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
    CWceUiXmlElem* GetFirstItem() const { return static_cast<CWceUiXmlElem*>(m_AccessList.GetHead()); }
    CWceUiXmlElem* GetNextItem(const CWceUiXmlElem* pCur) const;
    int GetItemCount() const { return m_AccessList.GetCount(); }

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
    };

    BOOL CanLoadFile(LPCWSTR pPath) const;
    BOOL ResolveIncludes(size_t& nLength);
    BYTE* ReadIncludeFile(LPCWSTR pPath, DWORD* pdwSize);
    size_t TrimTrailingSpace(size_t nLength);
    BOOL ParseXml(size_t nLength);
    BOOL ParseXmlTag(LPWSTR pTag, LPWSTR pEnd, LPWSTR& pNext);
    BOOL HandleXmlTagContent(CWceUiXmlElem* pElem, LPWSTR pContent, LPWSTR pEnd);
    // Logs the error; the first of a load also keeps its place (pAt, in m_pMemXmlStr).
    BOOL SyntaxError(LPCWSTR pFunction, int nCode, LPCWSTR pAt);
    void ForgetSyntaxError();
    // Ends a name in place, remembering a line feed it overwrites for the error's place.
    void EndNameAt(LPWSTR p);
    long long impSave(CWceUiXmlElem* pStart, LPWSTR pOut);

    CWceUiXmlElem* NewItem(int nType);
    CWceUiXmlAttr* NewAttr();
    void DeleteItem(CWceUiXmlElem* pItem);
    void DeleteAttr(CWceUiXmlAttr* pAttr);
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
    CWceUiHTList m_AccessList;

    CJxRecordPool m_ItemPool;
    CJxRecordPool m_AttrPool;
    BOOL m_bOwnStrings;  // some item holds a string of its own (set by editing)

    int m_nSyntaxLine;  // 0: no syntax error in the last load
    int m_nSyntaxColumn;
    int m_nSyntaxCode;
    int m_nLostLineFeeds;
    LPCWSTR m_pLastLostLineFeed;
    LPCWSTR m_pPrevLostLineFeed;
};
