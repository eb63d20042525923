#include "JXWUniqueID.h"

#include <cstdint>
#include <cstring>
#include <new>

#include "JXCheck.h"
#include "JXWriteLogFile.h"

#ifndef HIWORD
#define HIWORD(dw) ((static_cast<DWORD>(dw) >> 16) & 0xFFFF)
#endif

namespace {

// One bit per id 0..65535, and one summary bit per word that is full, so that finding the
// smallest free id after the wrap looks at a few words instead of every id in use.
const int kWords = 65536 / 64;
const int kSummaryWords = kWords / 64;

int LowestZeroBit(std::uint64_t v) { return __builtin_ctzll(~v); }

}  // namespace

struct CWUniqueID::CData {
    DWORD m_nNextID = 1;
    int m_nInUse = 0;
    std::uint64_t m_Bits[kWords];
    std::uint64_t m_Full[kSummaryWords];
    DWORD m_nSearchFrom = 1;  // no id below it is free
};

// Without the record no id is in use and none can be handed out.
CWUniqueID::CWUniqueID() : m_pData(new (std::nothrow) CData)
{
    if (!WCEUI_CHECK("CWUniqueID::CWUniqueID", NULL != m_pData)) return;
    memset(m_pData->m_Bits, 0, sizeof(m_pData->m_Bits));
    memset(m_pData->m_Full, 0, sizeof(m_pData->m_Full));
    // 0 and 65535 are never handed out: mark them taken for the search, not counted in use.
    m_pData->m_Bits[0] |= 1;
    m_pData->m_Bits[kWords - 1] |= std::uint64_t(1) << 63;
}

CWUniqueID::~CWUniqueID() { delete m_pData; }

BOOL CWUniqueID::IsInUse(DWORD dwID) const
{
    if (!GetData() || 0 == dwID || dwID >= INVALID_ID) return FALSE;
    return (GetData()->m_Bits[dwID >> 6] >> (dwID & 63)) & 1;
}

int CWUniqueID::GetInUseCount() const { return GetData() ? GetData()->m_nInUse : 0; }

void CWUniqueID::impRecord(DWORD dwID)
{
    CData* p = GetData();
    std::uint64_t& word = p->m_Bits[dwID >> 6];
    word |= std::uint64_t(1) << (dwID & 63);
    if (~word == 0) p->m_Full[dwID >> 12] |= std::uint64_t(1) << ((dwID >> 6) & 63);
    ++p->m_nInUse;
}

DWORD CWUniqueID::impFindFree() const
{
    const CData* p = GetData();
    int nWord = static_cast<int>(p->m_nSearchFrom >> 6);
    for (int nSummary = nWord >> 6; nSummary < kSummaryWords; ++nSummary) {
        // Words below nWord in the first summary word hold no free id.
        std::uint64_t full = p->m_Full[nSummary];
        if (nSummary == (nWord >> 6)) full |= (std::uint64_t(1) << (nWord & 63)) - 1;
        if (~full == 0) continue;
        int nFreeWord = (nSummary << 6) + LowestZeroBit(full);
        return static_cast<DWORD>((nFreeWord << 6) + LowestZeroBit(p->m_Bits[nFreeWord]));
    }
    return INVALID_ID;
}

DWORD CWUniqueID::GetID()
{
    CData* p = GetData();
    if (!p) return INVALID_ID;
    if (p->m_nNextID < INVALID_ID) {
        DWORD dwID = p->m_nNextID++;
        impRecord(dwID);
        return dwID;
    }
    DWORD dwID = impFindFree();
    if (INVALID_ID == dwID) {
        p->m_nSearchFrom = INVALID_ID;
        JxWriteLogW(JX_LOG_ERROR, u"CWUniqueID::GetID failed, all 1-65534 is used.");
        return INVALID_ID;
    }
    impRecord(dwID);
    p->m_nSearchFrom = dwID + 1;
    return dwID;
}

void CWUniqueID::ReleaseID(DWORD dwID)
{
    if (!WCEUI_CHECK("CWUniqueID::ReleaseID", 0 == HIWORD(dwID))) return;
    if (!IsInUse(dwID)) {
        JxWriteLogW(JX_LOG_WARNING, u"CWUniqueID::ReleaseID, Release ID %d, but not found", static_cast<int>(dwID));
        return;
    }
    CData* p = GetData();
    p->m_Bits[dwID >> 6] &= ~(std::uint64_t(1) << (dwID & 63));
    p->m_Full[dwID >> 12] &= ~(std::uint64_t(1) << ((dwID >> 6) & 63));
    --p->m_nInUse;
    if (dwID < p->m_nSearchFrom) p->m_nSearchFrom = dwID;
}
