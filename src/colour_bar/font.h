// Text drawn into pixels through FreeType, with the DejaVu fonts of the
// distribution's fonts-dejavu-core package, found at the path it installs
// them to (no font configuration is consulted: the bar looks the same on
// every machine that has the package).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

struct FT_LibraryRec_;
struct FT_FaceRec_;

namespace gridlib::colour_bar {

inline constexpr const char* kFontFolder = "/usr/share/fonts/truetype/dejavu/";
inline constexpr const char* kRegularFont = "DejaVuSans.ttf";
inline constexpr const char* kBoldFont = "DejaVuSans-Bold.ttf";

// Receives the coverage (0..255) of one pixel of a drawn text.
class Canvas {
public:
    virtual ~Canvas() = default;
    virtual void cover(std::int64_t x, std::int64_t y, std::uint8_t coverage) = 0;
};

class Font {
public:
    // The font in kFontFolder; nothing when FreeType cannot load it.
    static std::unique_ptr<Font> open(const std::string& file_name);
    ~Font();
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

    // The advance of the text in pixels at a pixel size.
    double width(const std::string& text, double size);
    // The height of a digit above the baseline, for centring labels on ticks.
    double digit_height(double size);
    // Draws the text with its baseline starting at (x, baseline).
    void draw(const std::string& text, double size, double x, double baseline, Canvas& canvas);

private:
    Font() = default;
    bool set_size(double size);

    FT_LibraryRec_* library_ = nullptr;
    FT_FaceRec_* face_ = nullptr;
};

}  // namespace gridlib::colour_bar
