// Text grids of written numbers: the text is cut into pieces at token ends
// (in order, one piece after another), each piece is parsed on its own (on
// any thread), and the values make up the stored vectors (rows, or the
// columns of a grid stored by columns) by one rule: a vector may span
// lines, and whatever follows its last value on that line is ignored, so
// the next vector starts with the first token of a later line; a token that
// is not a number fails only the vector it falls in. Each token remembers
// whether a line end came before it, which is all the rule needs.
#pragma once

#include "platform/file.h"
#include "rows/row_source.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

namespace gridlib::rows {

// A piece of the text and what parsing made of it. Its buffers grow to the
// largest piece read into it and are kept for the next.
class NumberPiece {
public:
    std::span<const char> text() const { return {text_.get(), text_size_}; }
    std::span<float> values() { return {values_.get(), tokens_}; }
    std::span<const std::uint8_t> marks() const { return {marks_.get(), tokens_}; }

    static constexpr std::uint8_t kLineStart = 1;   // a line end lies between the token and the one before
    static constexpr std::uint8_t kNotANumber = 2;  // the token is not a number

    // Parses the text: values and marks, one per token.
    void parse();

private:
    friend class NumberText;
    void reserve_text(std::size_t bytes);

    std::unique_ptr<char[]> text_;
    std::size_t text_capacity_ = 0, text_size_ = 0;
    std::unique_ptr<float[]> values_;
    std::unique_ptr<std::uint8_t[]> marks_;
    std::size_t token_capacity_ = 0, tokens_ = 0;
};

// The text from the file's position on, in pieces.
class NumberText {
public:
    // About this many bytes per piece: a piece takes a fraction of a
    // millisecond to parse.
    static constexpr std::size_t kPieceBytes = 256 * 1024;

    // file is positioned at the line of the first value.
    explicit NumberText(platform::File& file) : file_(file) {}
    // Reads the next piece, cut right after its last whole token; false when
    // the file has nothing after it (the piece may still hold text). Pieces
    // must be read in order, one at a time.
    bool read_piece(NumberPiece& piece);

private:
    platform::File& file_;
    std::string carried_;  // what followed the last cut: separators and the start of a token
};

// The rule, applied to the tokens of pieces in order: where the values of
// the current vector lie.
class VectorRule {
public:
    // Values of the current vector in piece, tokens first .. first + count - 1.
    struct Run {
        std::size_t first = 0, count = 0;
        bool failed = false;  // a token among them is not a number
    };
    // The next at most `most` values of the current vector from token `at`
    // of piece on, passing over the tokens the rule ignores; `at` moves past
    // them. count 0 when the piece has no more.
    Run next(const NumberPiece& piece, std::size_t& at, std::size_t most);
    // The current vector is complete: the next starts on a later line.
    void end_vector() { skipping_ = true; }

private:
    bool skipping_ = false;  // the rest of a vector's last line is being passed over
};

// Vectors read one after another, each in parts of any size, piece by piece
// on the caller's thread.
class NumberVectors {
public:
    explicit NumberVectors(NumberText& text) : text_(text) {}
    // Continues the current vector with values.size() more values; false
    // when the text ends first or a token among them is not a number.
    bool read(std::span<float> values);
    void end_vector() { rule_.end_vector(); }

private:
    NumberText& text_;
    NumberPiece piece_;
    std::size_t at_ = 0;  // the next token of the piece
    bool more_ = true;    // whether the text goes on after the piece
    VectorRule rule_;
};

// Stitches the values of pieces, delivered in order, into stored rows of
// `columns` values: `rows` rows, numbered from 1.
class RowStitcher {
public:
    // Receives each stored row as it is completed; false stops the stitching.
    using RowDone = std::function<bool(std::int64_t k, std::span<float> row)>;

    // row holds `columns` values: the buffer of a row that spans pieces.
    RowStitcher(std::span<float> row, std::int64_t rows) : row_(row), rows_(rows) {}
    // Takes the values of the next piece. False when the stitching is over:
    // every row is done, a row failed, or row_done said to stop. A row's
    // values may be changed by row_done: they are the piece's own.
    bool take(NumberPiece& piece, const RowDone& row_done);
    // 0 when every row was completed, else the status of the row that was
    // not: a token in it was not a number, or the text ended before it did.
    Status status() const { return next_ > rows_ ? 0 : row_status(next_); }
    // True when row_done stopped the stitching.
    bool stopped() const { return stopped_; }

private:
    std::span<float> row_;
    std::int64_t rows_;
    std::int64_t next_ = 1;     // the row being stitched
    std::size_t filled_ = 0;    // its values stitched so far
    VectorRule rule_;
    bool failed_ = false;
    bool stopped_ = false;
};

}  // namespace gridlib::rows
