// Console text and prompt answers.
#include "console.h"

#include "free_format.h"

#include <array>
#include <istream>
#include <ostream>

namespace rastrify {
namespace {

struct StartLine {
    bool plain;  // written as is; the others are console lines
    std::string_view text;
};

constexpr std::array<StartLine, 20> kStartText{{
    {true, " This program reads a grid file and"},
    {true, " converts it to a BMP file."},
    {false, ""},
    {false, " Command line usage : "},
    {false, "   Rastrify infil outfil { histfile -Wwidth -I -mZmin -MZmax -H(hist|lin|log)}"},
    {false, ""},
    {false, " infil  - input grid file"},
    {false, " outfil - output BMP file"},
    {false, ""},
    {false, " histfile - optional histogram file"},
    {false, ""},
    {false, " -W width  - target number of pixels per line in output BMP file"},
    {false, " -I        - invert colour range"},
    {false, " -m Zmin   - data value which maps to first colour"},
    {false, " -M Zmax   - data value which maps to last colour"},
    {false, " -H"},
    {false, "   hist   - histogram equalizion is applied to grid data (default)"},
    {false, "   lin    - grid data values are not histogram equalized"},
    {false, "   log    - grid data values are mapped to colours using log distribution"},
    {false, ""},
}};

}  // namespace

void Console::start_text() {
    for (const StartLine& l : kStartText) {
        if (l.plain) {
            out_ << l.text << '\n';
        } else {
            line(l.text);
        }
    }
}

void Console::line(std::string_view text) { out_ << ' ' << text << '\n'; }

std::optional<std::string> Console::ask(std::string_view prompt) {
    line("");
    out_ << prompt << std::flush;
    std::string answer;
    while (std::getline(in_, answer)) {
        FreeField field = first_field(answer, SlashEnds::no);
        if (field.kind != FreeField::Kind::none) return std::move(field.text);
    }
    return std::nullopt;
}

void Console::stop(std::string_view text) {
    clear_progress();
    out_ << std::flush;  // keep the order of the two streams on a shared terminal
    err_ << text << std::endl;
}

void Console::stop_line(std::string_view text) {
    clear_progress();
    out_ << std::flush;
    err_ << ' ' << text << std::endl;
}

// A carriage return goes back to the line's start; ESC [ K erases what an
// earlier, longer text left after the cursor.
void Console::show_progress(std::string_view text) {
    err_ << '\r' << text << "\x1b[K" << std::flush;
    progress_shown_ = true;
}

void Console::clear_progress() {
    if (!progress_shown_) return;
    err_ << "\r\x1b[K" << std::flush;
    progress_shown_ = false;
}

}  // namespace rastrify
