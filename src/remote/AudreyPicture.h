// The picture of the Audrey appliance that the remote-control window shows and is
// shaped to: 263 x 405 pixels on a uniform background colour (present at the
// bottom-left pixel), drawn in code so the repository builds it from its own source.
#pragma once

#include <QColor>
#include <QImage>

namespace remote {

inline constexpr int kPictureWidth = 263;
inline constexpr int kPictureHeight = 405;

// The background colour that the window shape cuts away.
QColor pictureBackground();

QImage drawAudreyPicture();

} // namespace remote
