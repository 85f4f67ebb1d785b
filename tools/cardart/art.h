// Drawing the card pictures and the icon images.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

typedef struct _cairo_font_face cairo_font_face_t;
typedef struct FT_FaceRec_* FT_Face;
typedef struct _cairo_surface cairo_surface_t;

namespace cardart {

constexpr int kCardWidth = 14;
constexpr int kCardHeight = 28;

// Pixels as 0xAARRGGBB, unpremultiplied, row by row from the top.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
};

// The one face every index is drawn in. Pinned to a file so that the output
// does not depend on what fontconfig would pick on a given machine.
class Font {
public:
    static constexpr const char* kPath = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";
    static constexpr const char* kPackage = "fonts-dejavu-core";

    Font();  // throws std::runtime_error when the file is missing or unreadable
    ~Font();
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

    cairo_font_face_t* face() const { return face_; }  // unhinted outlines, for scaled drawing
    FT_Face ftFace() const;                             // for hinted glyph bitmaps

private:
    struct FreeType;
    std::unique_ptr<FreeType> ft_;
    cairo_font_face_t* face_ = nullptr;
};

// A cairo RGB24 or ARGB32 image surface as unpremultiplied pixels.
Image toImage(cairo_surface_t* surface);

// A card (0..53, board.h) drawn for a scale of pellora::kArtScales (per
// cent): pellora::cardPictureSize(scale), opaque.
Image drawCard(const Font& font, int card, int scale);

// The card-stack icon at `size` x `size`, transparent background.
Image drawIcon(const Font& font, int size);

// The same icon as SVG, kSvgIconSize units square, drawn as at that size.
constexpr int kSvgIconSize = 256;
std::string drawIconSvg(const Font& font);

}  // namespace cardart
