#include "art.h"

#include <cairo-ft.h>
#include <cairo.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <stdexcept>
#include <string>

namespace cardart {

struct Font::FreeType {
    FT_Library library = nullptr;
    FT_Face face = nullptr;     // cairo's
    FT_Face glyphs = nullptr;   // ours: cairo caches the size it last set on its face
    ~FreeType() {
        if (glyphs) FT_Done_Face(glyphs);
        if (face) FT_Done_Face(face);
        if (library) FT_Done_FreeType(library);
    }
};

Font::Font() : ft_(std::make_unique<FreeType>()) {
    if (FT_Init_FreeType(&ft_->library) != 0) throw std::runtime_error("FreeType failed to start");
    if (FT_New_Face(ft_->library, kPath, 0, &ft_->face) != 0 ||
        FT_New_Face(ft_->library, kPath, 0, &ft_->glyphs) != 0)
        throw std::runtime_error(std::string("cannot load the font ") + kPath +
                                 ": install the package " + kPackage);
    face_ = cairo_ft_font_face_create_for_ft_face(ft_->face, FT_LOAD_NO_HINTING);
}

Font::~Font() { cairo_font_face_destroy(face_); }

FT_Face Font::ftFace() const { return ft_->glyphs; }

}  // namespace cardart
