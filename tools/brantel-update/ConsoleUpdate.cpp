#include "ConsoleUpdate.h"

#include <cstdio>
#include <fstream>

#include "ConsoleScreen.h"
#include "UpdateProcedure.h"
#include "UpdateSystem.h"
#include "wce/host.h"
#include "wce/platform.h"
#include "wce/wstring.h"

namespace {

const char* kProgram = "brantel-update";
std::string g_calibrationRecord;

// Touch calibration on a unit without a screen: recorded, so that it can be checked.
void RecordCalibration()
{
    std::ofstream(g_calibrationRecord, std::ios::app) << "TouchCalibrate\n";
    std::printf("Touch calibration\n");
}

}  // namespace

int RunConsoleUpdate(const std::string& deviceRoot, const std::string& package)
{
    g_calibrationRecord = deviceRoot + "/calibration-requested.txt";
    wce::host::SetDeviceRoot(deviceRoot);
    wce::host::SetModulePath(u"\\SDMMC\\brantel.exe");
    wce::host::SetTouchCalibrateRoutine(&RecordCalibration);

    // A registry that cannot be read would pass for the generic variant and lose its
    // ShellEx cleanup: stop before anything is deleted.
    std::string registryProblem;
    if (!wce::host::CheckRegistryFile(registryProblem)) {
        std::fprintf(stderr, "%s: %s; nothing was changed\n", kProgram, registryProblem.c_str());
        return 1;
    }

    CString appPath = ReadInstalledAppPath();
    CString packagePath;
    if (package.empty())
        GetDefaultPackagePath(packagePath);
    else
        packagePath = Utf8ToWide(package).c_str();
    std::printf("variant %s, package %s\n", IsKptVariant(appPath) ? "kpt" : "generic",
                WideToUtf8(packagePath.c_str()).c_str());

    if (GetFileAttributesW(packagePath) == INVALID_FILE_ATTRIBUTES) {
        if (IsKptVariant(appPath))
            std::printf("%s\n", WideToUtf8(brantel::kNoPackageMessage).c_str());
        else
            std::fprintf(stderr, "%s: no package at %s\n", kProgram, WideToUtf8(packagePath.c_str()).c_str());
        return 1;
    }

    ConsoleScreen screen;
    CUpdateProcedure procedure(screen, appPath);
    procedure.OnUpdate(packagePath);  // the kpt variant ends here in a reset, with status 0
    if (!screen.Ended()) {
        if (!procedure.GetRefusal().IsEmpty())
            std::fprintf(stderr, "%s: refused before anything was deleted: %s\n", kProgram,
                         WideToUtf8(procedure.GetRefusal().c_str()).c_str());
        return 1;
    }
    if (!procedure.HasLaunched()) {
        std::fprintf(stderr, "%s: update finished, but nothing was started: %s cannot be started (error %u)\n",
                     kProgram, appPath.IsEmpty() ? "the empty \"APP\" path" : WideToUtf8(appPath.c_str()).c_str(),
                     static_cast<unsigned>(procedure.GetLaunchError()));
        return 1;
    }
    std::printf("Update finished; started %s\n", WideToUtf8(appPath.c_str()).c_str());
    return 0;
}
