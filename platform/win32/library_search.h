// Where the process looks for the libraries it loads.
#pragma once

namespace platform {

// From now on the process loads libraries from the system directory only,
// never from its own folder or the current one, where anyone who can write
// there could plant one. SetDefaultDllDirectories is looked up at run time:
// Windows before 8 (and 7 without its update) lacks it, and the program
// must start there all the same. True when it took effect.
bool LoadLibrariesFromSystemOnly();

} // namespace platform
