// Cutting, parsing and stitching written numbers.
#include "rows/number_text.h"

#include "rows/number_scanner.h"

#include <algorithm>
#include <cstring>

namespace gridlib::rows {

void NumberPiece::reserve_text(std::size_t bytes) {
    if (bytes <= text_capacity_) return;
    auto grown = std::make_unique_for_overwrite<char[]>(bytes);
    if (text_size_ > 0) std::memcpy(grown.get(), text_.get(), text_size_);
    text_ = std::move(grown);
    text_capacity_ = bytes;
}

void NumberPiece::parse() {
    // Every token takes a character and, but for the last, a separator.
    const std::size_t most = text_size_ / 2 + 1;
    if (most > token_capacity_) {
        values_ = std::make_unique_for_overwrite<float[]>(most);
        marks_ = std::make_unique_for_overwrite<std::uint8_t[]>(most);
        token_capacity_ = most;
    }
    const char* p = text_.get();
    const char* const end = p + text_size_;
    std::size_t i = 0;
    for (;;) {
        bool line_end = false;
        while (p != end && is_separator(*p)) line_end |= is_line_end(*p++);
        if (p == end) break;
        // Most tokens are short decimals, scanned once; the others go on to
        // their end and through the general parser.
        const char* const start = p;
        const char* const scanned = scan_short_decimal(start, end, values_[i]);
        bool number = scanned && (scanned == end || is_separator(*scanned));
        if (number) {
            p = scanned;
        } else {
            while (p != end && !is_separator(*p)) ++p;
            number = parse_number({start, p}, values_[i]);
        }
        marks_[i] = static_cast<std::uint8_t>((line_end ? kLineStart : 0) | (number ? 0 : kNotANumber));
        ++i;
    }
    tokens_ = i;
}

bool NumberText::read_piece(NumberPiece& piece) {
    piece.reserve_text(std::max(kPieceBytes, carried_.size() * 2));
    std::memcpy(piece.text_.get(), carried_.data(), carried_.size());
    piece.text_size_ = carried_.size();
    carried_.clear();
    for (;;) {
        char* const text = piece.text_.get();
        const std::size_t room = piece.text_capacity_ - piece.text_size_;
        const std::size_t got = file_.read(std::as_writable_bytes(std::span(text + piece.text_size_, room)));
        piece.text_size_ += got;
        // A read ends short only at the end of the file (or on an error,
        // which ends the text there as it ends the row-by-row scan).
        if (got < room) return false;
        // The cut comes right after the last token that a separator ends, so
        // that the separators after it, line ends and all, go with the token
        // they come before.
        std::size_t cut = piece.text_size_;
        while (cut > 0 && !(is_separator(text[cut - 1]) && cut >= 2 && !is_separator(text[cut - 2]))) --cut;
        if (cut > 0) {
            carried_.assign(text + cut - 1, piece.text_size_ - (cut - 1));
            piece.text_size_ = cut - 1;
            return true;
        }
        // No whole token: separators, then at most the start of one. The
        // separators shrink to one that says whether a line ended among them;
        // a token longer than the piece makes it grow.
        std::size_t blanks = 0;
        bool line_end = false;
        while (blanks < piece.text_size_ && is_separator(text[blanks])) line_end |= is_line_end(text[blanks++]);
        if (blanks > 1) {
            std::memmove(text + 1, text + blanks, piece.text_size_ - blanks);
            piece.text_size_ -= blanks - 1;
            text[0] = line_end ? '\n' : ' ';
        } else if (piece.text_size_ == piece.text_capacity_) {
            piece.reserve_text(piece.text_capacity_ * 2);
        }
    }
}

bool RowStitcher::take(NumberPiece& piece, const RowDone& row_done) {
    if (failed_ || stopped_ || next_ > rows_) return false;
    const std::span<float> values = piece.values();
    const std::span<const std::uint8_t> marks = piece.marks();
    const std::size_t tokens = values.size(), n = row_.size();
    std::size_t t = 0;
    while (t < tokens) {
        if (skipping_) {
            while (t < tokens && !(marks[t] & NumberPiece::kLineStart)) ++t;
            if (t == tokens) break;
            skipping_ = false;
        }
        const std::size_t take = std::min(n - filled_, tokens - t);
        const auto bad = std::find_if(marks.begin() + t, marks.begin() + t + take,
                                      [](std::uint8_t m) { return (m & NumberPiece::kNotANumber) != 0; });
        if (bad != marks.begin() + t + take) {
            failed_ = true;
            return false;
        }
        std::span<float> row;
        if (filled_ == 0 && take == n) {
            row = values.subspan(t, n);  // whole in the piece: no copy
        } else {
            std::copy_n(values.begin() + t, take, row_.begin() + filled_);
            filled_ += take;
            if (filled_ == n) row = row_;
        }
        t += take;
        if (row.empty()) continue;
        filled_ = 0;
        skipping_ = true;
        if (!row_done(next_++, row)) {
            stopped_ = true;
            return false;
        }
        if (next_ > rows_) return false;
    }
    return true;
}

}  // namespace gridlib::rows
