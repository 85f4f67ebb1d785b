#include "card_png.h"

#include <climits>

#define STBI_NO_STDIO
#include <stb_image.h>  // the decoder itself is built in stb_image_png.c

namespace pellora {

PngPixels::PngPixels(const void* data, std::size_t size) {
    if (!data || size == 0 || size > INT_MAX) {
        failure_ = "no PNG file there";
        return;
    }
    int channels = 0;
    rgba_ = stbi_load_from_memory(static_cast<const stbi_uc*>(data), static_cast<int>(size), &width_, &height_,
                                  &channels, 4);
    if (!rgba_) {
        width_ = height_ = 0;
        failure_ = stbi_failure_reason();
        if (!failure_ || !*failure_) failure_ = "Corrupt PNG";
    }
}

PngPixels::~PngPixels() { stbi_image_free(rgba_); }

}  // namespace pellora
