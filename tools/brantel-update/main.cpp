// brantel-update: runs the unit's update procedure on a device folder, without a screen.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "ConsoleUpdate.h"
#include "ToolSupport.h"
#include "UpdateProcedure.h"
#include "UpdateSystem.h"
#include "wce/host.h"
#include "wce/platform.h"

namespace {

const char* kProgram = "brantel-update";

const char* kHelp =
    "usage: brantel-update --device-root FOLDER [--package DEVICEPATH]\n"
    "\n"
    "Updates the unit whose files live below FOLDER: reads the variant from the registry\n"
    "(HKLM\\OEM \"APP\"), takes the variant's default package on the SD card (or DEVICEPATH,\n"
    "e.g. \\SDMMC\\gpsApp.msk), replaces \\Residentflash2\\app, and starts the new program or\n"
    "calibrates and resets. Messages and failures go to standard error. A unit holding\n"
    "\\Residentflash2\\update.pub (minisign public keys) installs only packages signed by one\n"
    "of them: PACKAGE.minisig beside the package, checked before anything else.\n"
    "\n"
    "Exit status: 0 the update succeeded (the new program was started, or the kpt unit was\n"
    "reset); 1 the update failed or was refused, the package is missing, the new program\n"
    "could not be started, or FOLDER/registry.reg is malformed (nothing is deleted then);\n"
    "2 wrong command line.\n"
    "\n"
    "Record files a run leaves in FOLDER: launches.txt (each program start, with its\n"
    "arguments), reset-requested.txt (the kpt variant's forced reset) and\n"
    "calibration-requested.txt (the kpt variant's touch calibration).\n";

std::string g_deviceRoot;

}  // namespace

int main(int argc, char** argv)
{
    std::string package;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(kHelp, stdout);
            return 0;
        }
        if ((arg == "--device-root" || arg == "--package") && i + 1 < argc) {
            (arg == "--device-root" ? g_deviceRoot : package) = argv[++i];
        } else if (arg == "--device-root" || arg == "--package") {
            return tool::UsageError(kProgram, arg + " needs a value");
        } else {
            return tool::UsageError(kProgram, "unknown argument '" + arg + "'");
        }
    }
    if (g_deviceRoot.empty()) return tool::UsageError(kProgram, "--device-root is required");
    std::error_code ec;
    if (!std::filesystem::is_directory(g_deviceRoot, ec))
        return tool::UsageError(kProgram, "the device root " + g_deviceRoot + " is not a folder");
    g_deviceRoot = std::filesystem::absolute(g_deviceRoot, ec).string();

    return RunConsoleUpdate(g_deviceRoot, package);
}
