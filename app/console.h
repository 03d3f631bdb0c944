// The converter's console: the start text, the two prompts and their
// answers, and the messages. Start lines, prompts and other lines go to the
// output stream; a message that ends the run goes to the error stream.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

namespace rastrify {

// The stop messages are printed exactly as written here; the others are
// console lines (see Console::line).
namespace message {
inline constexpr std::string_view grid_missing = " the grid file does not exist";
inline constexpr std::string_view histogram_missing = " the histogram file does not exist";
inline constexpr std::string_view input_prompt = " Enter name of the input grid file : ";
inline constexpr std::string_view output_prompt = " Enter name of the output BMP file : ";
inline constexpr std::string_view no_answer = " No answer could be read: the input ended at the prompt";
}  // namespace message

class Console {
public:
    Console(std::istream& in, std::ostream& out, std::ostream& err) : in_(in), out_(out), err_(err) {}

    // The usage text every run begins with.
    void start_text();
    // A console line: the text with one blank column in front of it, the
    // carriage-control column of the line printer this output imitates.
    void line(std::string_view text);
    // A line written as it is given (a console line the library made), and
    // written out at once.
    void print(std::string_view whole_line);
    // An empty console line, then the prompt with the cursor left after it.
    // Returns the answer's first free-format value (a file name: a slash does
    // not end it); lines holding only blanks are passed over. Empty when the
    // input ends before a value.
    std::optional<std::string> ask(std::string_view prompt);
    // Writes out everything the output stream holds: a run flushes before
    // it commits its outputs, so that a reader gone away (a closed pipe)
    // ends it before anything is replaced, not after.
    void flush();
    // Messages that end the run: a stop message exactly as given, or a
    // console line, on the error stream.
    void stop(std::string_view text);
    void stop_line(std::string_view text);

    // The self-updating progress line on the error stream: shown (replacing
    // the one before) and cleared. A message that ends the run clears it first.
    void show_progress(std::string_view text);
    void clear_progress();

private:
    std::istream& in_;
    std::ostream& out_;
    std::ostream& err_;
    bool progress_shown_ = false;
    // The last answer's line was longer than an answer is kept.
    bool line_unfinished_ = false;

    // One line of input without its leading blanks, at most
    // kAnswerCharacters of it; empty at the end of the input.
    std::optional<std::string> read_answer_line();
};

}  // namespace rastrify
