// The singly linked intrusive lists: order, removal anywhere, and the tail kept right.
#include <cstddef>
#include <string>

#include "WceUiHList.h"
#include "gtest/gtest.h"

namespace {

struct Item {
    char name;
    Item* pOther;  // a second list's link, untouched by the first
    Item* pNext;
};

std::string Walk(void* pHead, int nOffset)
{
    std::string s;
    for (void* p = pHead; p; p = CWceUiHList::ReadNext(p, nOffset)) s += static_cast<Item*>(p)->name;
    return s;
}

TEST(SingleLists, HeadAndTailListsKeepTheirOrderThroughRemovals)
{
    Item items[4] = {{'a', nullptr, nullptr}, {'b', nullptr, nullptr}, {'c', nullptr, nullptr}, {'d', nullptr, nullptr}};
    const int off = static_cast<int>(offsetof(Item, pNext));
    CWceUiHList head(off);
    CWceUiTList tail(static_cast<int>(offsetof(Item, pOther)));
    for (Item& it : items) {
        head.AddHead(&it);
        tail.AddTail(&it);
    }
    EXPECT_EQ(Walk(head.GetHead(), off), "dcba");
    EXPECT_EQ(Walk(tail.GetHead(), static_cast<int>(offsetof(Item, pOther))), "abcd");

    struct Case {
        int index;
        const char *head, *tail;
        char last;
    } cases[] = {{1, "dca", "acd", 'd'}, {3, "ca", "ac", 'c'}, {2, "a", "a", 'a'}, {0, "", "", 0}};
    for (const Case& k : cases) {
        EXPECT_TRUE(head.Remove(&items[k.index]));
        EXPECT_TRUE(tail.Remove(&items[k.index]));
        EXPECT_FALSE(tail.Remove(&items[k.index]));
        EXPECT_EQ(Walk(head.GetHead(), off), k.head);
        EXPECT_EQ(Walk(tail.GetHead(), static_cast<int>(offsetof(Item, pOther))), k.tail);
        EXPECT_EQ(tail.GetTail() ? static_cast<Item*>(tail.GetTail())->name : 0, k.last);
    }
    EXPECT_TRUE(head.IsEmpty());
    EXPECT_EQ(tail.GetCount(), 0);
    tail.AddTail(&items[2]);  // a list emptied by removals takes items again
    EXPECT_EQ(tail.GetHead(), tail.GetTail());
}

}  // namespace
