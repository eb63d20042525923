#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "temp_device.h"
#include "wce/files.h"
#include "wce/process.h"

namespace {

int ShellOp(UINT function, LPCWSTR from, LPCWSTR to = nullptr)
{
    SHFILEOPSTRUCTW operation{};
    operation.wFunc = function;
    operation.pFrom = from;
    operation.pTo = to;
    operation.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI;
    return SHFileOperationW(&operation);
}

}  // namespace

TEST(ShellFileOperation, DeleteByPatternEmptiesTheFolderAndKeepsIt)
{
    TempDevice device;
    device.WriteHostFile("Residentflash2/app/KptMain.exe", "exe");
    device.WriteHostFile("Residentflash2/app/noext", "x");
    device.WriteHostFile("Residentflash2/app/sub/deeper/c.txt", "c");
    device.WriteHostFile("Residentflash2/app/locked.dll", "l");
    chmod(device.Host("Residentflash2/app/locked.dll").c_str(), 0444);
    device.WriteHostFile("Residentflash2/keep/k.txt", "k");
    // A link inside the tree goes, what it points to stays.
    ASSERT_EQ(symlink("../keep", device.Host("Residentflash2/app/link").c_str()), 0);

    EXPECT_EQ(ShellOp(FO_DELETE, u"\\RESIDENTFLASH2\\APP\\*.*\0"), 0);
    EXPECT_TRUE(std::filesystem::is_directory(device.Host("Residentflash2/app")));
    EXPECT_TRUE(std::filesystem::is_empty(device.Host("Residentflash2/app")));
    EXPECT_EQ(device.ReadHostFile("Residentflash2/keep/k.txt"), "k");

    // Nothing left to match is no failure; a missing folder is.
    EXPECT_EQ(ShellOp(FO_DELETE, u"\\Residentflash2\\app\\*.*\0"), 0);
    EXPECT_NE(ShellOp(FO_DELETE, u"\\Residentflash2\\gone\\*.*\0"), 0);
}

TEST(ShellFileOperation, DeletePlainPathsAndLists)
{
    TempDevice device;
    device.WriteHostFile("tree/a/b/c.txt", "c");
    device.WriteHostFile("one.txt", "1");
    device.WriteHostFile("two.txt", "2");

    EXPECT_EQ(ShellOp(FO_DELETE, u"\\Tree\0\\ONE.txt\0"), 0);
    EXPECT_FALSE(device.HostExists("tree"));
    EXPECT_FALSE(device.HostExists("one.txt"));
    EXPECT_TRUE(device.HostExists("two.txt"));
    EXPECT_NE(ShellOp(FO_DELETE, u"\\one.txt\0"), 0);

    // An open file survives and is reported.
    HANDLE open = CreateFileW(u"\\two.txt", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(ShellOp(FO_DELETE, u"\\*.txt\0"), static_cast<int>(ERROR_SHARING_VIOLATION));
    CloseHandle(open);
    EXPECT_TRUE(device.HostExists("two.txt"));
}

TEST(ShellFileOperation, CopyOverwritesAndCreatesParents)
{
    TempDevice device;
    device.WriteHostFile("SDMMC/FactoryConfig.xml", "<new/>");
    device.MakeHostDir("Residentflash2");

    EXPECT_EQ(ShellOp(FO_COPY, u"\\SDMMC\\FactoryConfig.xml\0", u"\\Residentflash2\\app\\config\\FactoryConfig.xml\0"), 0);
    EXPECT_EQ(device.ReadHostFile("Residentflash2/app/config/FactoryConfig.xml"), "<new/>");

    device.WriteHostFile("SDMMC/FactoryConfig.xml", "<newer/>");
    EXPECT_EQ(ShellOp(FO_COPY, u"\\sdmmc\\factoryconfig.xml\0", u"\\residentflash2\\APP\\config\\FACTORYCONFIG.XML\0"), 0);
    EXPECT_EQ(device.ReadHostFile("Residentflash2/app/config/FactoryConfig.xml"), "<newer/>");

    EXPECT_EQ(ShellOp(FO_COPY, u"\\SDMMC\\FactoryConfig.xml\0", u"\\Residentflash2\0"), 0);  // into the folder
    EXPECT_EQ(device.ReadHostFile("Residentflash2/FactoryConfig.xml"), "<newer/>");

    EXPECT_NE(ShellOp(FO_COPY, u"\\SDMMC\\missing.xml\0", u"\\Residentflash2\\x.xml\0"), 0);
    EXPECT_FALSE(device.HostExists("Residentflash2/x.xml"));
    EXPECT_NE(ShellOp(FO_COPY, u"\\SDMMC\\FactoryConfig.xml\0", nullptr), 0);
}

TEST(ShellFileOperation, IsOrdinal14OfTheShellLibraryAndRefusesBadRequests)
{
    TempDevice device;
    HMODULE shell = LoadLibraryW(u"CeShell.dll");
    ASSERT_NE(shell, nullptr);
    EXPECT_EQ(reinterpret_cast<PFN_SHFileOperationW>(GetProcAddressW(shell, MAKEINTRESOURCEW(14))), &SHFileOperationW);
    FreeLibrary(shell);
    EXPECT_NE(SHFileOperationW(nullptr), 0);
    EXPECT_NE(ShellOp(FO_DELETE, nullptr), 0);
    EXPECT_NE(ShellOp(FO_DELETE, u"\0"), 0);
    EXPECT_NE(ShellOp(99, u"\\a\0"), 0);
}
