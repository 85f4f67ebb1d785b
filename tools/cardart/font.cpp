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
    FT_Face face = nullptr;
    ~FreeType() {
        if (face) FT_Done_Face(face);
        if (library) FT_Done_FreeType(library);
    }
};

Font::Font() : ft_(std::make_unique<FreeType>()) {
    if (FT_Init_FreeType(&ft_->library) != 0) throw std::runtime_error("FreeType failed to start");
    if (FT_New_Face(ft_->library, kPath, 0, &ft_->face) != 0)
        throw std::runtime_error(std::string("cannot load the font ") + kPath +
                                 ": install the package " + kPackage);
    // Two cairo faces on the one FT face: plain outlines for shapes scaled by
    // hand, and the auto-hinter for indexes, which snaps stems to whole pixels.
    face_ = cairo_ft_font_face_create_for_ft_face(ft_->face, FT_LOAD_NO_HINTING);
    hinted_ = cairo_ft_font_face_create_for_ft_face(ft_->face, FT_LOAD_FORCE_AUTOHINT);
}

Font::~Font() {
    cairo_font_face_destroy(hinted_);
    cairo_font_face_destroy(face_);
}

}  // namespace cardart
