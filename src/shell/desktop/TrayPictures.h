// The two pictures of the tray icon, drawn in code: a small Audrey with a blue screen
// (the normal icon) and with an amber screen and lit LED (shown for a
// moment on activity).
#pragma once

#include <QIcon>

namespace shell {

QIcon normalTrayPicture();
QIcon activityTrayPicture();

} // namespace shell
