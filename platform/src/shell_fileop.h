// The shell library's module for LoadLibraryW.
#pragma once

namespace wce::detail {

// Registers "ceshell.dll" with SHFileOperationW as ordinal 14 (and by name). Called by the
// module table when it is first built, which also keeps this file linked in.
void RegisterShellModule();

}  // namespace wce::detail
