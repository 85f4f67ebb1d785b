// The pictures the program carries as PNG resources (the card art, the
// window icon), decoded straight from the resource's bytes with the same
// decoder as the Windows program: no file to open, no image plugins to look
// up, nothing cached by file name and date.
#pragma once

#include <QPixmap>
#include <QString>

namespace pellora {

// The PNG resource at `path` (":/cards/K-spade.png"); null if it is missing
// or does not decode.
QPixmap embeddedPng(const QString& path);

}  // namespace pellora
