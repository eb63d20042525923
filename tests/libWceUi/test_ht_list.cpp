#include <cstddef>
#include <string>

#include "WceUiHTList.h"
#include "gtest/gtest.h"

namespace {

struct Item {
    char name;
    Item* pNext;
    Item* pPre;
};

const int kNext = static_cast<int>(offsetof(Item, pNext));
const int kPre = static_cast<int>(offsetof(Item, pPre));

// The names from head to tail, checked against the walk from tail to head.
std::string Names(const CWceUiHTList& list)
{
    std::string forward;
    std::string backward;
    for (void* p = list.GetHead(); p; p = list.GetNext(p)) forward += static_cast<Item*>(p)->name;
    for (void* p = list.GetTail(); p; p = list.GetPre(p)) backward.insert(backward.begin(), static_cast<Item*>(p)->name);
    EXPECT_EQ(forward, backward);
    EXPECT_EQ(static_cast<int>(forward.size()), list.GetCount());
    return forward;
}

}  // namespace

TEST(WceUiHTList, InsertsRemovesAndFindsThroughTheElementsOwnLinks)
{
    Item a{'a', nullptr, nullptr}, b{'b', nullptr, nullptr}, c{'c', nullptr, nullptr}, d{'d', nullptr, nullptr};
    CWceUiHTList list(kNext, kPre);
    EXPECT_FALSE(list.Remove(&a));  // empty
    EXPECT_TRUE(list.AddTail(&b));
    EXPECT_TRUE(list.AddHead(&a));
    EXPECT_TRUE(list.InsertAfter(nullptr, &d));
    EXPECT_TRUE(list.InsertBefore(&d, &c));
    EXPECT_EQ("abcd", Names(list));
    EXPECT_EQ(&c, list.GetAt(2));
    EXPECT_EQ(nullptr, list.GetAt(4));
    EXPECT_EQ(nullptr, list.GetAt(-1));
    EXPECT_EQ(&c, list.Find(&c));
    EXPECT_EQ(nullptr, list.Find(&b, &c));

    EXPECT_TRUE(list.Remove(&b));
    EXPECT_EQ(nullptr, b.pNext);
    EXPECT_EQ(nullptr, b.pPre);
    EXPECT_EQ("acd", Names(list));
    EXPECT_EQ(&a, list.RemoveHead());
    EXPECT_EQ(&d, list.RemoveTail());
    EXPECT_EQ("c", Names(list));
    list.RemoveAll();
    EXPECT_EQ(nullptr, list.GetHead());
    EXPECT_EQ(0, list.GetCount());
}

TEST(WceUiHTList, ConstructSetsTheOffsetsOfAnEmptyListOnly)
{
    Item a{'a', nullptr, nullptr};
    CWceUiHTList list;
    EXPECT_FALSE(list.Construct(kNext, kNext));
    EXPECT_TRUE(list.Construct(kNext, kPre));
    EXPECT_TRUE(list.AddTail(&a));
    EXPECT_FALSE(list.Construct(kNext, kPre));
    EXPECT_EQ("a", Names(list));
}
