// Where the running program was started from.
//
// The program's base folder is the folder of the path it was started through, with
// symbolic links left as they are: an instance folder holding a link to the installed
// program (/var/lib/tallis/tallis -> /usr/lib/tallis/tallis) is the base folder of the
// program started through that link. When that path cannot be known (or does not name
// the running program), the resolved executable is used instead.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// Records how the program was invoked (argv[0]); call once at the start of main.
void setInvocationPath(std::string_view argv0);

// Full path of the running program as it was started (see above), and its folder
// without a trailing "/".
std::string executablePath();
std::string executableFolder();

// The resolved path of the running executable (/proc/self/exe).
std::string resolvedExecutablePath();

} // namespace platform
