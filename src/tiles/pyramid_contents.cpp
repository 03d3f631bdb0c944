// The mark file's list: "#" lines say what it is to a reader, the others
// are "file NAME", "tiles Z X Y" (tiles/Z/x/y.png for every x < X, y < Y,
// the levels in order from 0) and "values X Y" (values/x/y.f32).
#include "tiles/pyramid_contents.h"

#include <algorithm>
#include <charconv>
#include <optional>

namespace gridlib::tiles {
namespace {

// The files every version of the pyramid wrote beside its tiles.
constexpr const char* kViewerFiles[] = {"pyramid.json", "index.html", "viewer.js", "leaflet.js", "leaflet.css",
                                        "colour_bar.svg"};

// A count or tile number as the pyramid writes it: decimal digits, no sign,
// no leading zero (a user's "007.png" is not a tile of ours).
std::optional<std::int64_t> number(std::string_view text) {
    if (text.empty() || (text.size() > 1 && text[0] == '0')) return std::nullopt;
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 0) return std::nullopt;
    return value;
}

// The pieces of text between the separators.
std::vector<std::string_view> split(std::string_view text, char separator) {
    std::vector<std::string_view> pieces;
    for (std::size_t start = 0;;) {
        const auto at = text.find(separator, start);
        pieces.push_back(text.substr(start, at - start));
        if (at == std::string_view::npos) return pieces;
        start = at + 1;
    }
}

// The number of a file name with the suffix, such as "12" of "12.png".
std::optional<std::int64_t> numbered(std::string_view name, std::string_view suffix) {
    if (!name.ends_with(suffix)) return std::nullopt;
    return number(name.substr(0, name.size() - suffix.size()));
}

// The numbers after the word of a list line, exactly count of them.
std::optional<std::vector<std::int64_t>> numbers_after(std::string_view line, std::size_t count) {
    const auto words = split(line, ' ');
    if (words.size() != count + 1) return std::nullopt;
    std::vector<std::int64_t> values;
    for (std::size_t k = 1; k < words.size(); ++k) {
        const auto value = number(words[k]);
        if (!value) return std::nullopt;
        values.push_back(*value);
    }
    return values;
}

bool is_plain_name(std::string_view name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos &&
           name.find('\0') == std::string_view::npos;
}

}  // namespace

PyramidContents PyramidContents::of(const PyramidPlan& plan) {
    PyramidContents c;
    c.files_.emplace_back(kMarkName);
    for (const char* name : kViewerFiles) c.files_.emplace_back(name);
    for (int z = 0; z < plan.levels(); ++z) c.levels_.push_back({plan.level(z).tile_columns(), plan.level(z).tile_rows()});
    c.values_ = c.levels_.back();
    return c;
}

PyramidContents PyramidContents::from_mark(std::string_view text) {
    PyramidContents c;
    bool has_values = false;
    bool readable = true;
    for (std::size_t start = 0; start < text.size() && readable;) {
        const auto end = std::min(text.find('\n', start), text.size());
        const std::string_view line = text.substr(start, end - start);
        start = end + 1;
        if (line.empty() || line.starts_with('#')) continue;
        if (line.starts_with("file ")) {
            const std::string_view name = line.substr(5);
            readable = is_plain_name(name);
            c.files_.emplace_back(name);
        } else if (line.starts_with("tiles ")) {
            const auto v = numbers_after(line, 3);
            readable = v && (*v)[0] == static_cast<std::int64_t>(c.levels_.size());
            if (readable) c.levels_.push_back({(*v)[1], (*v)[2]});
        } else if (line.starts_with("values ")) {
            const auto v = numbers_after(line, 2);
            readable = v && !has_values;
            if (readable) c.values_ = {(*v)[0], (*v)[1]};
            has_values = true;
        } else {
            readable = false;
        }
    }
    if (readable && !c.files_.empty()) return c;
    PyramidContents any;
    any.any_layout_ = true;
    any.files_.emplace_back(kMarkName);
    for (const char* name : kViewerFiles) any.files_.emplace_back(name);
    return any;
}

std::string PyramidContents::mark_text() const {
    std::string text =
        "# A tile pyramid written by rastrify. Its next run into this folder replaces it, unless the folder\n"
        "# then holds anything not listed here: \"file NAME\" is a file in the folder, \"tiles Z X Y\" the\n"
        "# tiles tiles/Z/x/y.png of every x < X and y < Y, \"values X Y\" the value tiles values/x/y.f32.\n";
    for (const std::string& name : files_) text += "file " + name + "\n";
    for (std::size_t z = 0; z < levels_.size(); ++z)
        text += "tiles " + std::to_string(z) + " " + std::to_string(levels_[z].columns) + " " +
                std::to_string(levels_[z].rows) + "\n";
    text += "values " + std::to_string(values_.columns) + " " + std::to_string(values_.rows) + "\n";
    return text;
}

bool PyramidContents::holds_file(std::string_view path) const {
    const auto parts = split(path, '/');
    if (parts.size() == 1) return std::ranges::find(files_, parts[0]) != files_.end();
    // Within the range the list gives; of any number for an older mark.
    const auto within = [&](std::optional<std::int64_t> n, std::int64_t count) {
        return n && (any_layout_ || *n < count);
    };
    if (parts.size() == 4 && parts[0] == "tiles") {
        const auto z = number(parts[1]);
        if (!z || !(any_layout_ || *z < static_cast<std::int64_t>(levels_.size()))) return false;
        const TileCounts level = any_layout_ ? TileCounts{} : levels_[static_cast<std::size_t>(*z)];
        return within(number(parts[2]), level.columns) && within(numbered(parts[3], ".png"), level.rows);
    }
    if (parts.size() == 3 && parts[0] == "values")
        return within(number(parts[1]), values_.columns) && within(numbered(parts[2], ".f32"), values_.rows);
    return false;
}

bool PyramidContents::holds_folder(std::string_view path) const {
    const auto parts = split(path, '/');
    if (parts[0] != "tiles" && parts[0] != "values") return false;
    if (parts.size() == 1) return true;
    const auto first = number(parts[1]);
    if (!first) return false;
    if (parts[0] == "values") return parts.size() == 2 && (any_layout_ || *first < values_.columns);
    if (parts.size() > 3 || !(any_layout_ || *first < static_cast<std::int64_t>(levels_.size()))) return false;
    if (parts.size() == 2) return true;
    const auto x = number(parts[2]);
    return x && (any_layout_ || *x < levels_[static_cast<std::size_t>(*first)].columns);
}

}  // namespace gridlib::tiles
