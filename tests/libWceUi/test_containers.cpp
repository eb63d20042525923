#include <cstdint>
#include <cstring>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "JXList.h"
#include "JXRecordPool.h"
#include "JXMap.h"
#include "JXMapStringToType.h"
#include "QuickStack.h"
#include "QuickString.h"
#include "gtest/gtest.h"
#include "wce/format.h"

namespace {

std::u16string ClassLikeName(int i) { return WFormatString(u"CWceUiKey%05dLayer", i); }

}  // namespace

// The hash takes four units a step: every length, units up to 0xFFFF, 32-bit wrap-around.
TEST(JXMapStringToType, HashIsTimes33PlusUnit)
{
    std::mt19937 random(3);
    for (size_t length = 0; length < 40; ++length) {
        std::u16string key;
        DWORD expected = 0;
        for (size_t i = 0; i < length; ++i) {
            key += static_cast<char16_t>(1 + random() % 0xFFFF);
            expected = expected * 33 + key.back();
        }
        EXPECT_EQ(expected, JXMapStringToType<int>::HashKey(key.c_str())) << length;
    }
}

TEST(JXMapStringToType, ManyKeysInsertReplaceRemoveAgainstAReference)
{
    JXMapStringToType<int> map;
    EXPECT_EQ(17u, map.GetHashTableSize());
    std::vector<std::u16string> keys;
    for (int i = 0; i < 3000; ++i) keys.push_back(ClassLikeName(i));
    std::map<std::u16string, int> reference;
    std::mt19937 random(5);
    for (int round = 0; round < 20000; ++round) {
        const std::u16string& key = keys[random() % keys.size()];
        int value = static_cast<int>(random() % 1000);
        if (random() % 3 == 0) {
            EXPECT_EQ(reference.erase(key) == 1, map.RemoveKey(key.c_str()) == TRUE);
        } else {
            ASSERT_TRUE(map.SetAt(key.c_str(), value, TRUE));
            reference[key] = value;
        }
    }
    ASSERT_EQ(static_cast<int>(reference.size()), map.GetCount());
    for (const std::u16string& key : keys) {
        int value = -1;
        auto it = reference.find(key);
        EXPECT_EQ(it != reference.end(), map.Lookup(key.c_str(), value) == TRUE);
        EXPECT_EQ(it == reference.end() ? -1 : it->second, value);  // a miss leaves the value alone
    }
    // The walk visits every entry once.
    std::set<std::u16string> walked;
    for (JXPOSITION position = map.GetStartPosition(); position;) {
        LPCWSTR key = nullptr;
        int value = 0;
        map.GetNextAssoc(position, key, value);
        EXPECT_TRUE(walked.insert(key).second);
        EXPECT_EQ(reference[key], value);
    }
    EXPECT_EQ(reference.size(), walked.size());
}

TEST(JXMapStringToType, CopiedKeysOutliveTheCallersStringUncopiedOnesAreTheCallersAndTheTableIsFixedWhileNotEmpty)
{
    JXMapStringToType<int> map;
    std::u16string key = u"CWceUiButton";
    ASSERT_TRUE(map.SetAt(key.c_str(), 1, TRUE));
    key[0] = u'X';
    int value = 0;
    EXPECT_TRUE(map.Lookup(u"CWceUiButton", value));
    EXPECT_FALSE(map.Lookup(key.c_str(), value));

    static const char16_t kStatic[] = u"CWceUiLayer";
    JXMapStringToType<int> uncopied;
    ASSERT_TRUE(uncopied.SetAt(kStatic, 2));
    JXPOSITION position = uncopied.GetStartPosition();
    LPCWSTR storedKey = nullptr;
    uncopied.GetNextAssoc(position, storedKey, value);
    EXPECT_EQ(kStatic, storedKey);
    EXPECT_FALSE(uncopied.InitHashTable(47));  // the entries would sit in the wrong buckets
    uncopied.RemoveAll();
    EXPECT_TRUE(uncopied.InitHashTable(47, FALSE));
    ASSERT_TRUE(uncopied.SetAt(u"a", 1));  // the table is allocated on first use
}

TEST(JXMapStringToType, KeysCompareExactlyAndCollidingHashesStayApart)
{
    JXMapStringToType<int> map;
    // {1, 33} and {66} share the hash 66 (1 x 33 + 33).
    const std::u16string a = {1, 33};
    const std::u16string b = {66};
    ASSERT_EQ(JXMapStringToType<int>::HashKey(a.c_str()), JXMapStringToType<int>::HashKey(b.c_str()));
    ASSERT_TRUE(map.SetAt(a.c_str(), 1, TRUE));
    ASSERT_TRUE(map.SetAt(b.c_str(), 2, TRUE));
    ASSERT_TRUE(map.SetAt(u"Key", 3));
    int value = 0;
    for (LPCWSTR absent : {u"key", u"Ke", u"Keys"}) EXPECT_FALSE(map.Lookup(absent, value));
    EXPECT_TRUE(map.RemoveKey(a.c_str()));
    EXPECT_FALSE(map.RemoveKey(a.c_str()));
    EXPECT_TRUE(map.Lookup(b.c_str(), value));
    EXPECT_EQ(2, value);
}

TEST(JXMap, PointerKeysManyAndRemoved)
{
    JXMap<HWND, int> map;
    std::vector<char> storage(16 * 5000);
    auto handle = [&](int i) { return reinterpret_cast<HWND>(storage.data() + 16 * i); };
    for (int i = 0; i < 5000; ++i) ASSERT_TRUE(map.SetAt(handle(i), i));
    for (int i = 0; i < 5000; i += 3) ASSERT_TRUE(map.RemoveKey(handle(i)));
    for (int i = 1; i < 5000; i += 3) ASSERT_TRUE(map.SetAt(handle(i), -i));
    EXPECT_EQ(3333, map.GetCount());
    for (int i = 0; i < 5000; ++i) {
        int value = 0;
        ASSERT_EQ(i % 3 != 0, !!map.Lookup(handle(i), value)) << i;
        EXPECT_EQ(i % 3 == 0 ? 0 : i % 3 == 1 ? -i : i, value);
    }
    // Keys in a pointer's high bits (above 32 bits on 64-bit processors) are kept and hashed at
    // their full width.
    JXMap<std::uintptr_t, int> wide;
    const std::uintptr_t high = static_cast<std::uintptr_t>(1) << (8 * sizeof(std::uintptr_t) - 24);
    ASSERT_TRUE(wide.SetAt(high, 1));
    int value = 0;
    EXPECT_FALSE(wide.Lookup(0, value));
    EXPECT_EQ(high >> 4, (JXMap<std::uintptr_t, int>::HashKey(high)));
}

TEST(JXList, InsertWalkAndRemoveAcrossBlocks)
{
    JXList<int> list;
    std::vector<int> expected = {-1};
    for (int i = 0; i < 25; ++i) {
        ASSERT_NE(nullptr, list.AddTail(i));
        if (10 == i) expected.push_back(100);
        expected.push_back(i);
        if (10 == i) expected.push_back(200);
    }
    ASSERT_NE(nullptr, list.AddHead(-1));
    JXPOSITION middle = list.Find(10);
    ASSERT_EQ(list.FindIndex(11), middle);
    list.InsertBefore(middle, 100);
    list.InsertAfter(middle, 200);
    std::vector<int> forward, backward;
    for (JXPOSITION position = list.GetHeadPosition(); position;) forward.push_back(list.GetNext(position));
    for (JXPOSITION position = list.GetTailPosition(); position;) backward.push_back(list.GetPrev(position));
    EXPECT_EQ(expected, forward);
    EXPECT_EQ(std::vector<int>(expected.rbegin(), expected.rend()), backward);

    EXPECT_TRUE(list.RemoveAt(list.Find(100)));
    EXPECT_EQ(27, list.GetCount());
    // Emptied one by one, then the nodes serve again.
    while (list.RemoveHead()) {
    }
    EXPECT_EQ(nullptr, list.GetTailPosition());
    list.AddTail(7);
    EXPECT_EQ(7, list.GetAt(list.GetHeadPosition()));
    EXPECT_EQ(list.GetHeadPosition(), list.GetTailPosition());
}

TEST(CQuickStack, HoldsSixtyFourAndRefusesTheSixtyFifth)
{
    CQuickStack<int> stack;
    for (int i = 0; i < 64; ++i) ASSERT_TRUE(stack.Push(i));
    EXPECT_FALSE(stack.Push(64));
    for (int i = 63; i >= 0; --i) {
        int value = -1;
        ASSERT_TRUE(stack.Pop(value));
        EXPECT_EQ(i, value);
    }
    int untouched = 42;
    EXPECT_FALSE(stack.Pop(untouched));
    EXPECT_FALSE(stack.GetTop(untouched));
    EXPECT_EQ(42, untouched);
}

TEST(CQuickString, OwnsItsTextAndAppendsFromItself)
{
    WCHAR szSource[] = u"layer";
    CQuickString str(szSource);
    szSource[0] = u'X';
    CQuickString copy = str;
    str += u"s";
    EXPECT_EQ(u"layer", std::u16string(copy));
    str.Append(str.GetString(), 3);  // from its own buffer, which may move
    EXPECT_EQ(u"layerslay", std::u16string(str));
    for (int i = 0; i < 10; ++i) str.Append(str);
    EXPECT_EQ(9 * 1024, str.GetLength());
    str.SetString(str.GetString() + 3, 2);
    EXPECT_EQ(u"er", std::u16string(str));
    EXPECT_TRUE(str.Format(u"%s-%d", u"id", 12));
    EXPECT_EQ(0, str.CompareNoCase(u"ID-12"));
    EXPECT_EQ(0, str.GetAt(5));  // past the last unit
    EXPECT_EQ(u"", std::u16string(CQuickString(nullptr)));
}

// Numbers name the same record for as long as it lives, across the growing blocks and the
// fixed ones after them; freed numbers come back first; FreeAll starts again from 1.
TEST(CJxRecordPool, NumbersNameTheirRecordsAcrossBlocksAndComeBackWhenFreed)
{
    CJxRecordPool pool(24);
    std::vector<void*> records(1);  // records[n] for number n
    for (DWORD n = 1; n <= 3000; ++n) {
        void* pRecord = nullptr;
        ASSERT_EQ(n, pool.Alloc(&pRecord));
        ASSERT_EQ(pRecord, pool.At(n));
        memset(pRecord, static_cast<int>(n & 0xFF), 24);
        records.push_back(pRecord);
    }
    EXPECT_EQ(nullptr, pool.At(0));
    std::set<void*> distinct(records.begin() + 1, records.end());
    EXPECT_EQ(3000u, distinct.size());
    for (DWORD n = 1; n <= 3000; n += 37)
        ASSERT_EQ(static_cast<BYTE>(n & 0xFF), static_cast<BYTE*>(pool.At(n))[23]) << n;
    pool.Free(1000);
    pool.Free(7);
    void* pRecord = nullptr;
    EXPECT_EQ(7u, pool.Alloc(&pRecord));
    EXPECT_EQ(records[7], pRecord);
    EXPECT_EQ(1000u, pool.Alloc(&pRecord));
    EXPECT_EQ(3001u, pool.Alloc(&pRecord));
    pool.FreeAll();
    EXPECT_EQ(1u, pool.Alloc(&pRecord));
}

// A run grows where it is while nothing follows it and its block has room; otherwise it is
// copied, contents and all. Runs are 8-byte aligned.
TEST(CJxRunArena, RunsGrowInPlaceWhileLastElseMove)
{
    CJxRunArena arena;
    BYTE* pFirst = static_cast<BYTE*>(arena.Alloc(3));
    memcpy(pFirst, "abc", 3);
    EXPECT_EQ(pFirst, arena.Grow(pFirst, 3, 5));
    BYTE* pSecond = static_cast<BYTE*>(arena.Alloc(16));
    EXPECT_EQ(0u, reinterpret_cast<std::uintptr_t>(pSecond) % 8);
    BYTE* pMoved = static_cast<BYTE*>(arena.Grow(pFirst, 8, 8));
    EXPECT_NE(pFirst, pMoved);
    EXPECT_EQ(0, memcmp(pMoved, "abc", 3));
    // Growing one byte at a time past every block size keeps what was written.
    BYTE* pRun = static_cast<BYTE*>(arena.Alloc(1));
    pRun[0] = 0;
    for (size_t n = 1; n < 200000; ++n) {
        pRun = static_cast<BYTE*>(arena.Grow(pRun, n, 1));
        ASSERT_NE(nullptr, pRun);
        pRun[n] = static_cast<BYTE>(n);
        if (n % 4099 == 0) {
            ASSERT_EQ(static_cast<BYTE>(n / 2), pRun[n / 2]) << n;
        }
    }
    arena.FreeAll();
    EXPECT_NE(nullptr, arena.Alloc(100000));
}
