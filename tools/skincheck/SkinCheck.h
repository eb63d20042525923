// skincheck's skin-level checks: style files (every style built), resource folders (bitmap
// configurations, the color table, font configurations), the screen configuration, and one
// style printed as key=value lines. The framework's messages go to the log observer; each
// check returns whether it passed.
#pragma once

#include <string>
#include <vector>

namespace skincheck {

// A message of the framework or of the check itself, at the framework's log levels.
struct Note {
    int level;
    std::string text;
};
using Notes = std::vector<Note>;

// The log observer passes every level here, so that the checks can count error lines.
void CountLevel(int level);

// Makes a host folder the framework's resource directory for the checks below.
void UseResFolder(const std::string& hostFolder);

// Loads a style file and builds every style in file order. With a resource folder in use,
// every color, font and bitmap id the styles name is resolved too. Then every transition of
// its "animate" element is created and initialised; one longer than 2 s adds a warning to
// notes.
bool CheckStyleFile(const std::u16string& devicePath, bool resolveIds, Notes& notes);

// The bitmap configurations below "bitmap", "color/wceui.color" and the files below "font"
// of the resource folder in use. Findings of the check itself are added to notes.
bool CheckResFolder(const std::string& hostFolder, Notes& notes);

// A "wceui.xml" read as InitWin reads it.
bool CheckScreenConf(const std::u16string& devicePath);

// The named style of the file as key=value lines; false (nothing printed) when it does
// not build.
bool PrintStyle(const std::u16string& devicePath, const std::u16string& styleName, std::string& out);

}  // namespace skincheck
