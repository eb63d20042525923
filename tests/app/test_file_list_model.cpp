#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "FileListModel.h"
#include "FolderSearch.h"
#include "msk_fixture.h"
#include "wce/files.h"

namespace {

std::string Narrow(LPCWSTR p) { return std::string(p, p + std::char_traits<char16_t>::length(p)); }

// A list box stand-in: what was added, in order.
class FakeView : public IFileListView {
public:
    struct Item {
        std::string text;
        int image;
        FILE_LIST_ITEM* record = nullptr;
    };
    std::vector<Item> items;
    int sel = -1;
    int refreshes = 0;

    int AddItem(LPCWSTR pText, int nImage) override
    {
        items.push_back({Narrow(pText), nImage});
        return (int)items.size() - 1;
    }
    void SetItemRecord(int i, FILE_LIST_ITEM* p) override { items[i].record = p; }
    FILE_LIST_ITEM* GetItemRecord(int i) override { return i >= 0 && i < (int)items.size() ? items[i].record : nullptr; }
    int GetCount() override { return (int)items.size(); }
    int GetCurSel() override { return sel; }
    void ResetContent() override { items.clear(), sel = -1; }
    void Refresh() override { ++refreshes; }
    LPCWSTR GetUplevelText() override { return u".."; }
    LPCWSTR GetNoMatchText() override { return u"none"; }

    std::vector<std::string> Texts() const
    {
        std::vector<std::string> out;
        for (const Item& it : items) out.push_back(it.text);
        return out;
    }
    // "text:kind:path" per item; "text:image" for a line without a record.
    std::vector<std::string> Lines() const
    {
        std::vector<std::string> out;
        for (const Item& it : items)
            out.push_back(it.record ? it.text + ":" + std::to_string(it.record->dwKind) + ":" + Narrow(it.record->szPath)
                                    : it.text + ":" + std::to_string(it.image));
        return out;
    }
};

class FileListModelTest : public ::testing::Test {
protected:
    TempDevice device;
    FakeView view;
    CFileListModel model{view};

    void SetUp() override { ASSERT_TRUE(model.SetFilter({u"MSK"}, {u"listbox\\file.565a.conf"})); }
    void Touch(const std::string& relative) { device.WriteHostFile(relative, "x"); }
    void Activate(int index)
    {
        view.sel = index;
        model.OnItemActivated();
    }
};

using Lines = std::vector<std::string>;

void Package(const TempDevice& device, const std::string& relative)
{
    WritePackage(device, relative, BuildMskImage(SampleEntries(), u"app"), u"sxq_trelo");
}

TEST_F(FileListModelTest, RootsShowOnlyThoseHoldingAMatchOrALineSayingThereIsNone)
{
    struct Case {
        std::vector<std::string> files;
        Lines roots;
    } cases[] = {
        {{}, {"none:-4"}},
        {{"SDMMC/update/a.MSK"}, {"SDMMC:0:SDMMC"}},
        {{"SDMMC/notes.txt", "ResidentFlash/deep/er/b.msk"}, {"ResidentFlash:0:ResidentFlash"}},
        {{"SDMMC/x.msk", "ResidentFlash/y.msk"}, {"SDMMC:0:SDMMC", "ResidentFlash:0:ResidentFlash"}},
        {{"SDMMC/noext", "SDMMC/msk", "SDMMC/a.msk.txt"}, {"none:-4"}},
    };
    for (const Case& c : cases) {
        TempDevice dev;
        for (const std::string& f : c.files) dev.WriteHostFile(f, "x");
        FakeView v;
        CFileListModel m(v);
        m.SetFilter({u"msk"}, {u"i"});
        m.ShowRoots();
        EXPECT_EQ(v.Lines(), c.roots) << (c.files.empty() ? "" : c.files[0]);
        v.sel = 0;  // the line saying there is none leads nowhere
        if (!v.items[0].record) { EXPECT_EQ(CFileListModel::Activation::None, m.OnItemActivated()); }
    }
}

TEST_F(FileListModelTest, FolderListsMatchingFoldersFirstThenFilesInPlatformOrder)
{
    for (const char* file : {"SDMMC/b.msk", "SDMMC/A.msk", "SDMMC/other.txt", "SDMMC/update/z.msk", "SDMMC/docs/readme.txt"})
        Touch(file);
    device.MakeHostDir("SDMMC/empty");
    model.ShowFolder(u"SDMMC");
    EXPECT_EQ(view.Lines(), (Lines{"..:3:SDMMC", "update:1:SDMMC\\update", "A.msk:2:SDMMC\\A.msk", "b.msk:2:SDMMC\\b.msk"}));
    EXPECT_EQ((std::vector<int>{view.items[0].image, view.items[1].image, view.items[2].image}),
              (std::vector<int>{kFileImageUplevel, kFileImageFolder, 0}));
    EXPECT_EQ(view.refreshes, 1);
}

TEST_F(FileListModelTest, ActivationWalksDownAndUp)
{
    Touch("SDMMC/update/a.msk");
    model.ShowRoots();
    Activate(0);  // the root
    EXPECT_EQ(view.Lines(), (Lines{"..:3:SDMMC", "update:1:SDMMC\\update"}));
    Activate(1);  // the folder
    EXPECT_EQ(view.Lines(), (Lines{"..:3:SDMMC\\update", "a.msk:2:SDMMC\\update\\a.msk"}));
    view.sel = 1;
    EXPECT_EQ(model.OnItemActivated(), CFileListModel::Activation::FileSelected);
    Activate(0);  // up to the root's content
    EXPECT_EQ(view.Lines(), (Lines{"..:3:SDMMC", "update:1:SDMMC\\update"}));
    Activate(0);  // a root's up-level item holds no backslash: back to the roots
    EXPECT_EQ(view.Lines(), (Lines{"SDMMC:0:SDMMC"}));
    EXPECT_EQ(model.GetRecordCount(), 1);
    for (int sel : {-1, 1, 7}) {  // a selection outside the list does nothing
        view.sel = sel;
        EXPECT_EQ(model.OnItemActivated(), CFileListModel::Activation::None);
        EXPECT_EQ(view.Lines(), (Lines{"SDMMC:0:SDMMC"}));
    }
}

TEST_F(FileListModelTest, InitialPathOpensItsFolderAndItsUplevelListsTheFileSystemRoot)
{
    Touch("SDMMC/gpsApp.msk");
    model.ShowInitial(u"\\SDMMC\\gpsApp.msk");
    EXPECT_EQ(view.Lines(), (Lines{"..:3:\\SDMMC", "gpsApp.msk:2:\\SDMMC\\gpsApp.msk"}));
    EXPECT_EQ(model.FindFileItem(u"\\sdmmc\\GPSAPP.msk"), 1);
    Activate(0);
    EXPECT_EQ(view.Lines(), (Lines{"..:3:", "SDMMC:1:\\SDMMC"}));
    Activate(0);
    EXPECT_EQ(view.Lines(), (Lines{"SDMMC:0:SDMMC"}));
    view.ResetContent();  // a missing initial path shows the roots
    Touch("ResidentFlash/a.msk");
    std::filesystem::remove(device.Host("SDMMC/gpsApp.msk"));
    model.ShowInitial(u"\\SDMMC\\gpsApp.msk");
    EXPECT_EQ(view.Lines(), (Lines{"ResidentFlash:0:ResidentFlash"}));
    EXPECT_EQ(model.FindFileItem(u"\\SDMMC\\gpsApp.msk"), -1);
    EXPECT_EQ(model.FindFileItem(u""), -1);
}

// Names differing only in case: the list picks the file the platform opens for the same
// path (the spelling as written, else the smallest), so the screen and the console install
// the same package.
TEST_F(FileListModelTest, DefaultPackageFoundByThePlatformsRule)
{
    for (const char* name : {"GPSAPP.MSK", "gpsApp.msk", "gpsapp.MSK"})
        device.WriteHostFile(std::string("SDMMC/") + name, name);
    model.ShowFolder(u"\\SDMMC");
    for (LPCWSTR path : {u"\\SDMMC\\gpsApp.msk", u"\\SDMMC\\GPSAPP.MSK", u"\\SDMMC\\gpsapp.MSK",
                         u"\\SDMMC\\GpsApp.Msk"}) {
        SCOPED_TRACE(Narrow(path));
        int index = model.FindFileItem(path);
        ASSERT_GE(index, 0);
        HANDLE h = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        char opened[16] = {};
        DWORD got = 0;
        ASSERT_TRUE(ReadFile(h, opened, sizeof opened - 1, &got, nullptr));
        CloseHandle(h);
        EXPECT_EQ(view.items[index].text, opened);
    }
}

TEST_F(FileListModelTest, PathsTooLongForARecordAreNeitherListedNorSearched)
{
    // "SDMMC\" + name: a name of 253 units gives 259, one more gives 260.
    std::string fits(249, 'f'), over(250, 'o');
    Touch("SDMMC/" + fits + ".msk");
    Touch("ResidentFlash/" + over + ".msk");
    model.ShowRoots();
    EXPECT_EQ(view.Lines(), (Lines{"SDMMC:0:SDMMC"}));
    view.ResetContent();
    model.ShowFolder(u"SDMMC");
    ASSERT_EQ(view.items.size(), 2u);
    EXPECT_EQ(Narrow(view.items[1].record->szPath).size(), 259u);
}

TEST_F(FileListModelTest, FilterPairsExtensionsWithImagesByIndex)
{
    EXPECT_FALSE(model.SetFilter({u"msk", u"bin"}, {u"one"}));
    ASSERT_TRUE(model.SetFilter({u"msk", u"BIN"}, {u"one", u"two"}));
    EXPECT_EQ(model.ImageForFile(u"a.Bin"), 1);
    EXPECT_EQ(model.ImageForFile(u"a.msk"), 0);
    EXPECT_EQ(model.ImageForFile(u"a"), kFileImageNone);
    EXPECT_EQ(model.ImageForFile(u"dir.msk\\a"), kFileImageNone);
}

// A card formatted on a Linux host: links and loops must neither hang the list nor let one
// search read without end.
TEST(HostileCard, LoopsAreWalkedOnceAndTheListStillFills)
{
    struct Case {
        const char* name;
        std::function<void(const TempDevice&)> make;
        std::vector<std::string> shown;  // SDMMC's list after the up-level item
        DWORD maxEntries;                // read by one search of SDMMC
    } cases[] = {
        {"two links to . beside a package folder",
         [](auto& d) { d.Link(".", "SDMMC/empty/l1"), d.Link(".", "SDMMC/empty/l2"), Package(d, "SDMMC/pkg/a.msk"); },
         {"pkg"}, 10},
        {"a link up reaches the package beside it",
         [](auto& d) { d.Link("..", "SDMMC/a/up"), Package(d, "SDMMC/pkg/a.msk"); }, {"a", "pkg"}, 10},
        {"folders doubling at 20 levels", [](auto& d) {
             for (int i = 0; i < 20; ++i)
                 for (const char* l : {"/l1", "/l2"})
                     d.Link("../" + std::to_string(i + 1), "SDMMC/chain/" + std::to_string(i) + l);
             d.MakeHostDir("SDMMC/chain/20");
         }, {}, 100},
        {"a folder answered inside a cycle keeps its answer", [](auto& d) {
             d.Link("..", "SDMMC/a/c1/up"), Package(d, "SDMMC/a/m/p.msk"), d.Link("../a/c1", "SDMMC/w/to");
         }, {"a", "w"}, 10},
        {"names that are paths on the device", [](auto& d) {
             d.MakeHostDir("SDMMC/x/\\"), d.MakeHostDir("SDMMC/x/\\\\");
             Package(d, "SDMMC/..\\ResidentFlash\\y.msk"), Package(d, "ResidentFlash/y.msk");
         }, {}, 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDevice device;
        c.make(device);
        FakeView view;
        CFileListModel model(view);
        ASSERT_TRUE(model.SetFilter({u"msk"}, {u"i"}));
        model.ShowFolder(u"SDMMC");
        std::vector<std::string> expected = {".."};
        expected.insert(expected.end(), c.shown.begin(), c.shown.end());
        EXPECT_EQ(view.Texts(), expected);
        CFolderSearch search(model);
        EXPECT_EQ(search.HasMatch(u"SDMMC"), !c.shown.empty());
        EXPECT_LE(CFolderSearch::MAX_ENTRIES_PER_LISTING - search.GetEntriesLeft(), c.maxEntries);
    }
}

TEST(HostileCard, WorkPerListingIsBounded)
{
    TempDevice device;
    for (int i = 0; i < 30; ++i) device.WriteHostFile("SDMMC/big/f" + std::to_string(i) + ".txt", "x");
    Package(device, "SDMMC/big/z/p.msk");
    FakeView view;
    CFileListModel model(view);
    ASSERT_TRUE(model.SetFilter({u"msk"}, {u"i"}));
    CFolderSearch small(model, 20);
    EXPECT_FALSE(small.HasMatch(u"SDMMC"));
    EXPECT_EQ(small.GetEntriesLeft(), 0u);
    CFolderSearch enough(model, 40);
    EXPECT_TRUE(enough.HasMatch(u"SDMMC"));
}

}  // namespace
