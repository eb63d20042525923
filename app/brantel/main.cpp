// brantel: the touch-screen updater. One instance per device; it picks the skin set by the
// screen width, runs the main window with the update dialog until it ends, then exits.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

#include "ui/UpdateMainWnd.h"
#include "ui/LayerDump.h"
#include "WceUiCommon.h"
#include "WceUiGenericBitmap.h"
#include "WceUiInit.h"
#include "WceUiLayerCtrl.h"
#include "WceUiLoadBitmap.h"
#include "wce/display.h"
#include "wce/files.h"
#include "wce/host.h"
#include "wce/process.h"
#include "wce/timesync.h"
#include "wce/window.h"
#include "wce/wstring.h"

namespace {

const char kUsage[] =
    "usage: brantel --device-root DIR [display options] [--exit-after-first-frame]\n"
    "Runs the updater as \\SDMMC\\brantel.exe on the device below DIR; the skin is\n"
    "DIR/SDMMC/brantel.pack, whose bitmaps have the screen's depth (build/skin/ for 16\n"
    "bits, build/skin-32/ for 32). Headless scripts may also hold 'dump FILE' (the layer tree).\n"
    "  --exit-after-first-frame  stop once the first frame is shown (start-up timing)\n"
    "Exit status: 0 normal end, 1 start-up failure, 2 usage, 3 the script failed or the\n"
    "updater outlived the end of its script.\n";

const WCHAR kMutexName[] = u"_MORVA_BRANTEL_";
const WCHAR kMainTitle[] = u"BRANTEL_RQN";

std::string g_deviceRoot;

int Fail(int status, const std::string& message)
{
    std::fprintf(stderr, "brantel: %s\n", message.c_str());
    return status;
}

// Stands in for the touch driver's calibration: leaves a line a test can find.
void RecordCalibration()
{
    std::ofstream out(g_deviceRoot + "/calibration-requested.txt", std::ios::app);
    out << "TouchCalibrate\n";
}

// The skin archive the build makes for a screen of this depth.
std::string SkinBuildFor(int nBitsPixel)
{
    return 32 == nBitsPixel ? "build/skin-32/brantel.pack" : "build/skin/brantel.pack";
}

// The depth of the skin's bitmaps (all of one kind), read from one every dialog shows; 0
// when it does not load. Bitmaps of another depth than the screen's are never drawn.
int SkinBitsPixel()
{
    CWceUiLoadBitmap bmp(u"main\\background.565a.conf");
    CWceUiGenericBitmap* pBitmap = bmp.GetBitmap();
    return pBitmap ? pBitmap->GetBitsPixel() : 0;
}

int Run(const wce::host::DisplayOptions& options, bool exitAfterFirstFrame)
{
    // The instance check needs no display: a second updater never opens a window of its own.
    HANDLE hMutex = CreateMutexW(NULL, FALSE, kMutexName);
    if (!hMutex)
        return Fail(1, "cannot create the single-instance mutex (error " + std::to_string(GetLastError()) + ")");
    if (GetLastError() != 0) {
        // Another updater runs on this device: bring it forward and leave.
        if (HWND hOther = FindWindowW(NULL, kMainTitle)) {
            ShowWindow(hOther, SW_SHOW);
            SetForegroundWindow(hOther);
        }
        CloseHandle(hMutex);
        return 0;
    }

    std::string error;
    wce::host::DisplayFailure failure = wce::host::DisplayFailure::None;
    if (!wce::host::OpenDisplay(options, error, &failure)) {
        CloseHandle(hMutex);
        return Fail(wce::host::DisplayFailure::NoDisplay == failure ? 1 : 2, error);
    }
    RegisterWindowMessageW(u"MV_WM_SDNOTIFY");
    RegisterWindowMessageW(u"SCAN_CODE_MENU");

    std::string packHost;
    DWORD mapError = 0;
    if (!wce::host::MapDevicePath(u"\\SDMMC\\brantel.pack", packHost, mapError) ||
        GetFileAttributesW(u"\\SDMMC\\brantel.pack") == INVALID_FILE_ATTRIBUTES) {
        CloseHandle(hMutex);
        wce::host::CloseDisplay();
        return Fail(1, "no skin: copy " + SkinBuildFor(options.bitsPerPixel) + " to " + g_deviceRoot +
                           "/SDMMC/brantel.pack");
    }

    BOOL bInit;
    if (WceUiGetScreenWidth() == 480)
        bInit = WceUiInit(GetModuleHandleW(NULL), u"brantel.pack\\480X272\\wnd", u"brantel.pack\\480X272\\res",
                          u"brantel.pack\\480X272\\language\\english.ini", FALSE);
    else
        bInit = WceUiInit(GetModuleHandleW(NULL), u"brantel.pack\\800x480\\wnd", u"brantel.pack\\800x480\\res",
                          u"brantel.pack\\800x480\\language\\english.ini", FALSE);
    if (!bInit) {
        CloseHandle(hMutex);
        wce::host::CloseDisplay();
        return Fail(1, "the framework did not start; see the log (*.wceuilog) in " + g_deviceRoot + "/SDMMC");
    }
    int nSkinBits = SkinBitsPixel();
    if (nSkinBits && nSkinBits != WceUiGetBitsPixel()) {
        CloseHandle(hMutex);
        wce::host::CloseDisplay();
        return Fail(1, "the skin's bitmaps have " + std::to_string(nSkinBits) + " bits per pixel, the screen " +
                           std::to_string(WceUiGetBitsPixel()) + ": copy " + SkinBuildFor(WceUiGetBitsPixel()) +
                           " to " + g_deviceRoot + "/SDMMC/brantel.pack");
    }
    CoInitializeEx(NULL, 0);

    CUpdateMainWnd* pWnd = new CUpdateMainWnd;
    // A registry that cannot be read would pass for the generic variant: the dialog refuses
    // every update with the file and line, as the console updater does.
    std::string registryProblem;
    if (!wce::host::CheckRegistryFile(registryProblem)) {
        const std::string prefix = wce::host::GetDeviceRoot() + "/";
        if (registryProblem.compare(0, prefix.size(), prefix) == 0) registryProblem.erase(0, prefix.size());
        pWnd->SetRegistryProblem(Utf8ToWide(registryProblem + "; nothing was changed").c_str());
    }
    wce::host::SetScriptDumpHook([pWnd](const std::string& file, std::string& why) {
        CWceUiLayerCtrl* pCtrl = pWnd->GetLayerCtrl();
        if (!pCtrl || !pCtrl->RootLayer()) {
            why = "no layers";
            return false;
        }
        std::ofstream out(file, std::ios::binary);
        out << DumpLayerChildren(pCtrl->RootLayer());
        if (!out) why = "cannot write the file";
        return static_cast<bool>(out);
    });
    if (exitAfterFirstFrame) {
        // The first frame of the main dialog, not the window's empty first picture.
        wce::host::SetPresentHook([pWnd](std::uint64_t, const RECT&) {
            if (!pWnd->GetTopDialogName())
                return;
            std::fflush(nullptr);
            std::_Exit(0);
        });
    }
    // Created hidden: the window shows itself once its first picture is painted.
    RECT rc = {0, 0, WceUiGetScreenWidth(), WceUiGetScreenHeight()};
    pWnd->DoModal(WS_POPUP, &rc, NULL);

    CoUninitialize();
    CloseHandle(hMutex);
    BOOL bDialogFailed = pWnd->HasDialogFailed();
    std::string topDialog;
    if (LPCWSTR pTop = pWnd->GetTopDialogName())
        topDialog = WideToUtf8(pTop);
    wce::host::SetScriptDumpHook(nullptr);
    wce::host::SetPresentHook(nullptr);
    bool timedOut = wce::host::ScriptEndTimedOut();
    bool scriptOk = wce::host::CloseDisplay();
    delete pWnd;
    if (bDialogFailed)
        return Fail(1, "the main dialog did not start; see the log (*.wceuilog) in " + g_deviceRoot + "/SDMMC");
    if (timedOut)
        return Fail(3, "still running a second after the script ended" +
                           (topDialog.empty() ? std::string() : ", in " + topDialog));
    return scriptOk ? 0 : 3;
}

}  // namespace

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (0 == std::strcmp(argv[i], "--help") || 0 == std::strcmp(argv[i], "-h")) {
            std::printf("%s%s", kUsage, wce::host::kDisplayOptionsHelp);
            return 0;
        }
    }
    wce::host::DisplayOptions options;
    std::string error;
    if (!wce::host::ParseDisplayOptions(argc, argv, options, error))
        return Fail(2, error + "\n" + kUsage);
    bool exitAfterFirstFrame = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--device-root" && i + 1 < argc)
            g_deviceRoot = argv[++i];
        else if (arg == "--exit-after-first-frame")
            exitAfterFirstFrame = true;
        else
            return Fail(2, "unknown argument " + arg + "\n" + kUsage);
    }
    if (g_deviceRoot.empty())
        return Fail(2, std::string("--device-root is required\n") + kUsage);
    if (options.scriptPath == "-") {
        // The whole of standard input is the script.
        std::string text((std::istreambuf_iterator<char>(std::cin)), std::istreambuf_iterator<char>());
        options.scriptPath.clear();
        options.scriptText = text;
    }
    options.closeAtScriptEnd = true;
    wce::host::SetDeviceRoot(g_deviceRoot);
    wce::host::SetModulePath(u"\\SDMMC\\brantel.exe");
    wce::host::SetTouchCalibrateRoutine(RecordCalibration);
    return Run(options, exitAfterFirstFrame);
}
