// Console text and prompt answers.
#include "console.h"

#include "free_format.h"
#include "options.h"

#include <array>
#include <istream>
#include <limits>
#include <ostream>

namespace rastrify {
namespace {

// An answer is kept up to the longest text a name of kNameLength characters
// can be written as (quoted, every character a doubled quote) and one more,
// so that a longer name is still seen to be too long; the rest of the line
// is never stored, so a line without end (input from /dev/zero) cannot
// exhaust memory.
constexpr std::size_t kAnswerCharacters = 2 * kNameLength + 3;

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

void Console::print(std::string_view whole_line) { out_ << whole_line << '\n' << std::flush; }

std::optional<std::string> Console::ask(std::string_view prompt) {
    line("");
    out_ << prompt << std::flush;
    for (;;) {
        const auto answer = read_answer_line();
        if (!answer) return std::nullopt;
        FreeField field = first_field(*answer, SlashEnds::no);
        if (field.kind != FreeField::Kind::none) return std::move(field.text);
    }
}

std::optional<std::string> Console::read_answer_line() {
    // What an earlier answer left of its line is passed over first.
    if (line_unfinished_) in_.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
    line_unfinished_ = false;
    std::string answer;
    bool any = false;
    for (int c; (c = in_.get()) != std::char_traits<char>::eof();) {
        any = true;
        if (c == '\n') return answer;
        // Leading blanks are never part of a value, however many there are.
        if (answer.empty() && (c == ' ' || c == '\t' || c == '\r')) continue;
        answer.push_back(static_cast<char>(c));
        if (answer.size() == kAnswerCharacters) {
            line_unfinished_ = true;
            return answer;
        }
    }
    if (!any) return std::nullopt;
    return answer;
}

void Console::flush() { out_ << std::flush; }

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
