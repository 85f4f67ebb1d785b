#include "embedded_png.h"

#include "card_png.h"

#include <QImage>
#include <QResource>

namespace pellora {

QPixmap embeddedPng(const QString& path) {
    const QResource resource(path);
    const QByteArray bytes = resource.uncompressedData();  // the bytes in place unless stored compressed
    const PngPixels png(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    if (!png.ok()) return QPixmap();
    // Wraps the decoded pixels; fromImage copies them before they go.
    const QImage image(png.rgba(), png.width(), png.height(), png.width() * 4, QImage::Format_RGBA8888);
    return QPixmap::fromImage(image);
}

}  // namespace pellora
