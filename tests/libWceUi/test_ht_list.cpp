// The intrusive lists: the doubly linked one walked both ways, and the singly linked head
// and tail lists keeping their order and tail through removals anywhere.
#include <cstddef>
#include <string>

#include "WceUiHList.h"
#include "WceUiHTList.h"
#include "gtest/gtest.h"

namespace {

// pPre: the tail list's link in the singly linked tests
struct Item { char name; Item* pNext; Item* pPre; };

const int kNext = static_cast<int>(offsetof(Item, pNext));
const int kPre = static_cast<int>(offsetof(Item, pPre));

// The names from head to tail, checked against the walk from tail to head.
std::string Names(const CWceUiHTList& list)
{
    std::string forward, backward;
    for (void* p = list.GetHead(); p; p = list.GetNext(p)) forward += static_cast<Item*>(p)->name;
    for (void* p = list.GetTail(); p; p = list.GetPre(p)) backward.insert(backward.begin(), static_cast<Item*>(p)->name);
    EXPECT_EQ(forward, backward);
    EXPECT_EQ(static_cast<int>(forward.size()), list.GetCount());
    return forward;
}

std::string Walk(void* pHead, int nOffset)
{
    std::string s;
    for (void* p = pHead; p; p = CWceUiHList::ReadNext(p, nOffset)) s += static_cast<Item*>(p)->name;
    return s;
}

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

    // The offsets may be set only on an empty list, and never the same twice.
    CWceUiHTList late;
    EXPECT_FALSE(late.Construct(kNext, kNext));
    EXPECT_TRUE(late.Construct(kNext, kPre));
    EXPECT_TRUE(late.AddTail(&a));
    EXPECT_FALSE(late.Construct(kNext, kPre));
    EXPECT_EQ("a", Names(late));
}

TEST(SingleLists, HeadAndTailListsKeepTheirOrderThroughRemovals)
{
    Item items[4] = {{'a', nullptr, nullptr}, {'b', nullptr, nullptr}, {'c', nullptr, nullptr}, {'d', nullptr, nullptr}};
    CWceUiHList head(kNext);
    CWceUiTList tail(kPre);  // a second list over its own link, untouched by the first
    for (Item& it : items) {
        head.AddHead(&it);
        tail.AddTail(&it);
    }
    EXPECT_EQ(Walk(head.GetHead(), kNext), "dcba");
    EXPECT_EQ(Walk(tail.GetHead(), kPre), "abcd");

    struct Case { int index; const char *head, *tail; char last; } cases[] = {
        {1, "dca", "acd", 'd'}, {3, "ca", "ac", 'c'}, {2, "a", "a", 'a'}, {0, "", "", 0}};
    for (const Case& k : cases) {
        EXPECT_TRUE(head.Remove(&items[k.index]));
        EXPECT_TRUE(tail.Remove(&items[k.index]));
        EXPECT_FALSE(tail.Remove(&items[k.index]));
        EXPECT_EQ(Walk(head.GetHead(), kNext), k.head);
        EXPECT_EQ(Walk(tail.GetHead(), kPre), k.tail);
        EXPECT_EQ(tail.GetTail() ? static_cast<Item*>(tail.GetTail())->name : 0, k.last);
    }
    EXPECT_TRUE(head.IsEmpty());
    EXPECT_EQ(tail.GetCount(), 0);
    tail.AddTail(&items[2]);  // a list emptied by removals takes items again
    EXPECT_EQ(tail.GetHead(), tail.GetTail());
}

}  // namespace
