// The two pictures of the tray icon, drawn in code: a small Audrey with a blue screen
// (Image1, the normal icon) and with an amber screen and lit LED (Image2, shown for a
// moment on activity).
#pragma once

#include <QIcon>

namespace shell {

QIcon normalTrayPicture();
QIcon activityTrayPicture();

} // namespace shell
