// The registry's tree in memory and its text form, "registry.reg" (REGEDIT4 syntax, UTF-8).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "wce/types.h"

namespace wce::detail {

struct RegValue {
    std::u16string name;  // empty for the default value
    DWORD type = 0;
    std::vector<BYTE> data;
};

// Keys are shared so that an open handle keeps its key alive after the key is deleted;
// the handle then sees `deleted` instead of freed memory.
struct RegKeyNode {
    std::u16string name;
    std::vector<RegValue> values;
    std::vector<std::shared_ptr<RegKeyNode>> children;
    bool deleted = false;
};
using RegKeyPtr = std::shared_ptr<RegKeyNode>;

enum RegRoot { kRegLocalMachine, kRegCurrentUser, kRegClassesRoot, kRegRootCount };

struct RegTree {
    RegKeyPtr roots[kRegRootCount];
    RegTree();
};

// Case-insensitive lookups; -1 when absent.
int FindRegChild(const RegKeyNode& key, LPCWSTR name);
int FindRegValue(const RegKeyNode& key, LPCWSTR name);
// Marks the key and everything below it deleted.
void MarkRegDeleted(RegKeyNode& key);
// A name the file can hold and give back unchanged: no control characters, no unpaired
// surrogates.
bool IsStorableRegName(const std::u16string& name);

struct RegParseError {
    size_t line = 0;
    std::string message;
};

// Fills an empty tree from the file's text; false and the first fault otherwise.
bool ParseRegFile(const std::string& text, RegTree& tree, RegParseError& error);
std::string FormatRegFile(const RegTree& tree);

enum class HostFileRead { kOk, kMissing, kFailed };
HostFileRead ReadWholeHostFile(const std::string& path, std::string& bytes, std::string& error);
// Writes a temporary file beside path, flushes it to disk and renames it over path, so that
// a crash leaves either the old or the new file, never a mix.
bool ReplaceHostFile(const std::string& path, const std::string& bytes, std::string& error);

}  // namespace wce::detail
