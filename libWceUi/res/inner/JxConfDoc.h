// Key=value documents: language files, the color table, font and bitmap configurations.
//
// UTF-16LE text with its byte-order mark, one "key=value" per line (LF or CR LF). Lines
// that are empty, start with ';' (comments) or '[' (section headers, ignored: all keys
// share one name space) are skipped; leading spaces, TABs and CRs do not count. Values run
// to the end of the line, trailing spaces included. With escapes on, a backslash followed
// by a backslash, n, r or t in a value becomes a backslash, LF, CR or TAB; any other
// backslash fails the load (only in lines whose value holds a backslash).
// Keys are unique and compared exactly.
#pragma once

#include "JXMapStringToType.h"
#include "QuickString.h"
#include "wce/types.h"

class CJxConfDoc {
public:
    CJxConfDoc();
    ~CJxConfDoc();
    CJxConfDoc(const CJxConfDoc&) = delete;
    CJxConfDoc& operator=(const CJxConfDoc&) = delete;

    // Reads the file through WceUiReadFile (archives too) with the archive password.
    BOOL LoadFile(LPCWSTR pPath, BOOL bEscape);
    // The same for bytes already read: what LoadFile does after reading pPath.
    BOOL LoadData(const BYTE* pData, DWORD nSize, LPCWSTR pPath, BOOL bEscape);
    void Clean();
    BOOL IsLoaded() const { return m_bLoaded; }

    // The value of the key, or null. Only on a loaded document.
    LPCWSTR GetValue(LPCWSTR pKey) const;
    // The value of the key written "%u".
    LPCWSTR GetValue(UINT nKey) const;

    int GetCount() const { return m_Map.GetCount(); }
    UINT GetHashTableSize() const { return m_Map.GetHashTableSize(); }
    LPCWSTR GetPath() const { return m_strPath; }
    // Walks every key and value (in no particular order).
    JXPOSITION GetStartPosition() const { return m_Map.GetStartPosition(); }
    void GetNextAssoc(JXPOSITION& rPosition, LPCWSTR& rKey, LPCWSTR& rValue) const
    {
        m_Map.GetNextAssoc(rPosition, rKey, rValue);
    }

    // The hash table size for a document of nKeys keys.
    static UINT CalcHashTableSize(int nKeys);

private:
    struct CPair {
        int nKey;  // offsets into the output buffer
        int nValue;
    };

    BOOL ParseStr(LPCWSTR pText, int nLength);
    BOOL PrePareLine(LPCWSTR pLine, LPCWSTR pLineEnd, LPCWSTR& pEqual, BOOL& bSlash) const;
    BOOL ParseLineWithSlash(LPCWSTR pLine, LPCWSTR pEqual, LPCWSTR pLineEnd, LPWSTR pOut, int& nOut,
                            CPair& pair) const;
    BOOL ParseLineNoSlash(LPCWSTR pLine, LPCWSTR pEqual, LPCWSTR pLineEnd, LPWSTR pOut, int& nOut,
                          CPair& pair) const;
    BOOL CopyKey(LPCWSTR pLine, LPCWSTR pEqual, LPWSTR pOut, int& nOut, LPCWSTR pFunction) const;

    JXMapStringToType<LPCWSTR> m_Map;
    LPWSTR m_pMemStr;  // every key and value, each terminated
    CQuickString m_strPath;
    BOOL m_bLoaded;
    BOOL m_bEscape;
};
