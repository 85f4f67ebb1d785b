// Decodes the card pictures, which the programs carry as PNG files, with
// stb_image. Kept free of standard containers and strings so Pellora.exe
// links no exception machinery: the pixels come from malloc.
#pragma once

#include <cstddef>
#include <cstdint>

namespace pellora {

class PngPixels {
public:
    // Decodes the `size` bytes of a PNG file at `data`; ok() tells whether it worked.
    PngPixels(const void* data, std::size_t size);
    ~PngPixels();
    PngPixels(const PngPixels&) = delete;
    PngPixels& operator=(const PngPixels&) = delete;

    bool ok() const { return rgba_ != nullptr; }
    // Why decoding failed, as a short phrase ("Corrupt PNG"); null after success.
    const char* failure() const { return failure_; }

    int width() const { return width_; }
    int height() const { return height_; }
    // Top-down rows of straight (not premultiplied) R, G, B, A bytes; A is
    // 255 for pictures without alpha. Null after a failure.
    const std::uint8_t* rgba() const { return rgba_; }

private:
    std::uint8_t* rgba_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    const char* failure_ = nullptr;
};

}  // namespace pellora
