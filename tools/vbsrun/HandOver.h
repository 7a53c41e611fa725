// vbsrun without the emulated host: the extra objects' options hand the command line
// over to vbsrun-xap, which has the host linked in. Keeping the host (and Qt with it)
// out of vbsrun is what makes it start in a few milliseconds.
#pragma once

#include "ExtraObjects.h"

#include <vector>

namespace vbsrun {

// The objects of extraObjectOptions(); making one replaces this process with
// vbsrun-xap given the same arguments `argv` (so it reads the whole line again and
// runs the script). When vbsrun-xap cannot be started the reason is printed and the
// process ends with status 1.
std::vector<ExtraObject> handOverExtras(char** argv);

} // namespace vbsrun
