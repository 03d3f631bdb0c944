// FreeType rendering of the colour bar's texts.
#include "colour_bar/font.h"

#include "colour_bar/utf8.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cmath>

namespace gridlib::colour_bar {

std::unique_ptr<Font> Font::open(const std::string& file_name) {
    std::unique_ptr<Font> font(new Font());
    if (FT_Init_FreeType(&font->library_) != 0) return nullptr;
    if (FT_New_Face(font->library_, (std::string(kFontFolder) + file_name).c_str(), 0, &font->face_) != 0)
        return nullptr;
    return font;
}

Font::~Font() {
    if (face_) FT_Done_Face(face_);
    if (library_) FT_Done_FreeType(library_);
}

bool Font::set_size(double size) {
    return FT_Set_Pixel_Sizes(face_, 0, static_cast<FT_UInt>(std::lround(size))) == 0;
}

double Font::width(const std::string& text, double size) {
    if (!set_size(size)) return 0;
    double advance = 0;
    for (const char32_t c : code_points(text))
        if (FT_Load_Char(face_, c, FT_LOAD_DEFAULT) == 0) advance += static_cast<double>(face_->glyph->advance.x) / 64;
    return advance;
}

double Font::digit_height(double size) {
    if (!set_size(size) || FT_Load_Char(face_, '0', FT_LOAD_DEFAULT) != 0) return 0.73 * size;
    return static_cast<double>(face_->glyph->metrics.horiBearingY) / 64;
}

void Font::draw(const std::string& text, double size, double x, double baseline, Canvas& canvas) {
    if (!set_size(size)) return;
    auto pen = static_cast<std::int64_t>(std::lround(x));
    const auto base = static_cast<std::int64_t>(std::lround(baseline));
    for (const char32_t c : code_points(text)) {
        // A character the font lacks draws as its missing-glyph box.
        if (FT_Load_Char(face_, c, FT_LOAD_RENDER) != 0) continue;
        const FT_GlyphSlot g = face_->glyph;
        const FT_Bitmap& b = g->bitmap;
        for (unsigned row = 0; row < b.rows; ++row)
            for (unsigned column = 0; column < b.width; ++column) {
                const std::uint8_t coverage = b.buffer[static_cast<std::ptrdiff_t>(row) * b.pitch + column];
                if (coverage)
                    canvas.cover(pen + g->bitmap_left + column, base - g->bitmap_top + row, coverage);
            }
        pen += g->advance.x >> 6;
    }
}

}  // namespace gridlib::colour_bar
