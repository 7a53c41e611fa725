// The mouse message numbers the tray icon reports to its callback object, and the one
// place that turns the desktop's activation reports into them.
#pragma once

#include <QEvent>
#include <QSystemTrayIcon>

#include <cstdint>
#include <vector>

namespace shell {

namespace mouse {
inline constexpr std::int32_t kLeftButtonDown = 513;
inline constexpr std::int32_t kLeftButtonUp = 514;
inline constexpr std::int32_t kLeftButtonDoubleClick = 515;
inline constexpr std::int32_t kRightButtonDown = 516;
inline constexpr std::int32_t kRightButtonUp = 517;
inline constexpr std::int32_t kRightButtonDoubleClick = 518;
} // namespace mouse

// The mouse messages one activation of the icon stands for, in the order they are
// delivered: a left click is its release (514), a right click its release (517), a
// double click the whole press, release, double click, release sequence. A middle
// click and unknown reports stand for nothing.
std::vector<std::int32_t> mouseMessagesFor(QSystemTrayIcon::ActivationReason reason);

// The mouse message of one button event on the icon's window: the press, release or
// double click of the left or right button; 0 for any other event or button.
std::int32_t mouseMessageFor(QEvent::Type type, Qt::MouseButton button);

} // namespace shell
