// Layer ids: 1 to 65534, handed out in order, then the smallest one not in use.
#pragma once

#include "wce/types.h"

class CWUniqueID {
public:
    enum : DWORD { INVALID_ID = 65535 };

    CWUniqueID();
    ~CWUniqueID();
    CWUniqueID(const CWUniqueID&) = delete;
    CWUniqueID& operator=(const CWUniqueID&) = delete;

    // 1, 2, 3 ... up to 65534; afterwards the smallest id not in use. INVALID_ID (logged)
    // when every id is in use.
    DWORD GetID();
    // An id that is not in use (0 and 65535 never are) is only warned about.
    void ReleaseID(DWORD dwID);
    BOOL IsInUse(DWORD dwID) const;
    int GetInUseCount() const;

private:
    struct CData;
    CData* GetData() const { return m_pData; }
    void impRecord(DWORD dwID);
    DWORD impFindFree() const;

    CData* m_pData;
};
