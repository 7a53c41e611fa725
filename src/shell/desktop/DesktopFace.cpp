#include "DesktopFace.h"

namespace shell {

void installDesktopFace()
{
}

} // namespace shell
