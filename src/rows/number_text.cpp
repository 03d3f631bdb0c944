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

VectorRule::Run VectorRule::next(const NumberPiece& piece, std::size_t& at, std::size_t most) {
    const std::span<const std::uint8_t> marks = piece.marks();
    const std::size_t tokens = marks.size();
    if (skipping_) {
        while (at < tokens && !(marks[at] & NumberPiece::kLineStart)) ++at;
        if (at == tokens) return {at, 0, false};
        skipping_ = false;
    }
    const std::size_t count = std::min(most, tokens - at);
    const auto run = marks.subspan(at, count);
    const bool failed = std::any_of(run.begin(), run.end(),
                                    [](std::uint8_t m) { return (m & NumberPiece::kNotANumber) != 0; });
    const Run r{at, count, failed};
    at += count;
    return r;
}

bool NumberVectors::read(std::span<float> values) {
    std::size_t i = 0;
    while (i < values.size()) {
        const VectorRule::Run run = rule_.next(piece_, at_, values.size() - i);
        if (run.failed) return false;
        if (run.count == 0) {
            if (!more_) return false;
            more_ = text_.read_piece(piece_);
            piece_.parse();
            at_ = 0;
            continue;
        }
        std::copy_n(piece_.values().begin() + static_cast<std::ptrdiff_t>(run.first), run.count, values.begin() + i);
        i += run.count;
    }
    return true;
}

bool RowStitcher::take(NumberPiece& piece, const RowDone& row_done) {
    if (failed_ || stopped_ || next_ > rows_) return false;
    const std::span<float> values = piece.values();
    const std::size_t n = row_.size();
    std::size_t at = 0;
    for (;;) {
        const VectorRule::Run run = rule_.next(piece, at, n - filled_);
        if (run.failed) {
            failed_ = true;
            return false;
        }
        if (run.count == 0) return true;
        std::span<float> row;
        if (filled_ == 0 && run.count == n) {
            row = values.subspan(run.first, n);  // whole in the piece: no copy
        } else {
            std::copy_n(values.begin() + static_cast<std::ptrdiff_t>(run.first), run.count,
                        row_.begin() + static_cast<std::ptrdiff_t>(filled_));
            filled_ += run.count;
            if (filled_ < n) continue;
            row = row_;
        }
        filled_ = 0;
        rule_.end_vector();
        if (!row_done(next_++, row)) {
            stopped_ = true;
            return false;
        }
        if (next_ > rows_) return false;
    }
}

}  // namespace gridlib::rows
