// Layer ids 1..65534 for one controller: handed out in rising order, and once all were
// given, the smallest free one. 65535 means none is free.
#pragma once

#include <cstring>

#include "wce/types.h"

class CWceUiLayerIds {
public:
    CWceUiLayerIds() : m_nNext(1), m_nInUse(0) { memset(m_used, 0, sizeof(m_used)); }

    DWORD GetID()
    {
        if (m_nNext < 65535) {
            DWORD id = m_nNext++;
            Mark(id, true);
            return id;
        }
        if (m_nInUse >= 65534) return 65535;
        for (DWORD id = 1; id < 65535; ++id)
            if (!IsUsed(id)) {
                Mark(id, true);
                return id;
            }
        return 65535;
    }
    BOOL ReleaseID(DWORD id)
    {
        if (id < 1 || id > 65534 || !IsUsed(id)) return FALSE;
        Mark(id, false);
        return TRUE;
    }

private:
    bool IsUsed(DWORD id) const { return 0 != (m_used[id >> 5] & (1u << (id & 31))); }
    void Mark(DWORD id, bool bUsed)
    {
        if (bUsed) {
            m_used[id >> 5] |= 1u << (id & 31);
            ++m_nInUse;
        } else {
            m_used[id >> 5] &= ~(1u << (id & 31));
            --m_nInUse;
        }
    }

    DWORD m_nNext;
    DWORD m_nInUse;
    DWORD m_used[65536 / 32];
};
