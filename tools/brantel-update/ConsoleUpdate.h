// The console updater's run once its command line is read: the unit's update procedure on
// a device folder, printing what happens. Apart from main so that tests run it in-process.
#pragma once

#include <string>

// Exit status as documented in brantel-update --help: 0 done, 1 failed or refused.
int RunConsoleUpdate(const std::string& deviceRoot, const std::string& package);
