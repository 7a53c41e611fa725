// The host object for vbsrun's --xap option: a headless emulated host on a temporary
// base folder, so that an event script can be tried without a plug-in. What the host
// would send over xAP is printed on standard error, one line per message.
#pragma once

#include "automation/Object.h"

namespace vbsrun {

vb::Ref<vb::Object> createHeadlessHost();

} // namespace vbsrun
