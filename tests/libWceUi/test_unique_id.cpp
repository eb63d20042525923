// Layer ids: order, reuse after the wrap, exhaustion and the release warnings.
#include "JXWUniqueID.h"
#include "doc_test_helpers.h"

namespace {

class UniqueIdTest : public DocTest {
protected:
    void Exhaust()
    {
        for (DWORD i = 1; i < 65535; ++i) ASSERT_EQ(i, m_ids.GetID());
    }
    CWUniqueID m_ids;
};

}  // namespace

TEST_F(UniqueIdTest, AfterTheWrapTheSmallestFreeIdComesFirstAndExhaustionGives65535)
{
    Exhaust();
    EXPECT_EQ(65534, m_ids.GetInUseCount());
    EXPECT_EQ(65535u, m_ids.GetID());
    EXPECT_EQ(std::vector<std::string>{"CWUniqueID::GetID failed, all 1-65534 is used."}, m_log.Messages());
    m_log.Clear();
    for (DWORD id : {900u, 7u, 65534u, 64u, 63u}) m_ids.ReleaseID(id);
    EXPECT_EQ(7u, m_ids.GetID());
    EXPECT_EQ(63u, m_ids.GetID());
    m_ids.ReleaseID(2);  // released later, still found first
    for (DWORD id : {2u, 64u, 900u, 65534u}) EXPECT_EQ(id, m_ids.GetID());
    EXPECT_TRUE(m_log.Messages().empty());
}

TEST_F(UniqueIdTest, ReleasingAnIdNotInUseOnlyWarns)
{
    EXPECT_EQ(1u, m_ids.GetID());
    EXPECT_EQ(2u, m_ids.GetID());
    m_ids.ReleaseID(2);
    // Never handed out, released twice, and the two values that are never ids.
    for (DWORD id : {3u, 2u, 0u, 65535u}) {
        m_log.Clear();
        m_ids.ReleaseID(id);
        EXPECT_EQ(std::vector<std::string>{"(level 2) CWUniqueID::ReleaseID, Release ID " + std::to_string(id) + ", but not found"},
                  m_log.Messages());
    }
    EXPECT_TRUE(m_ids.IsInUse(1));
    EXPECT_EQ(1, m_ids.GetInUseCount());
    EXPECT_EQ(3u, m_ids.GetID());  // ids released before the wrap wait for it
    m_log.Clear();
    m_ids.ReleaseID(0x10001);
    EXPECT_EQ(std::vector<std::string>{"CWUniqueID::ReleaseID,check(0 == HIWORD(dwID))fail"}, m_log.Messages());
    EXPECT_TRUE(m_ids.IsInUse(1));
}
