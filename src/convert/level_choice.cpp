// Colour limits and levels of the image.
#include "convert/level_choice.h"

#include "convert/failures.h"

#include <numeric>

namespace gridlib::convert {
namespace {

constexpr std::string_view kLimitsIgnored = " The supplied min and max values will be ignored";

// The limits and levels of a histogram file, ready: not equalised.
std::variant<ChosenLevels, Failure> levels_of_file(const std::string& name, Descriptor& d) {
    ChosenLevels chosen;
    HistogramFile histogram;
    switch (read_histogram_file(name, histogram)) {
    case HistogramRead::ok:
        break;
    case HistogramRead::cannot_open:
        return failure(GRIDLIB_REFUSED, " The histogram file could not be read : " + name);
    case HistogramRead::too_short:
        return failure(GRIDLIB_REFUSED, " The histogram file is shorter than " + std::to_string(kHistogramFileSize) +
                                            " bytes : " + name);
    }
    d.colour_min() = histogram.lower;
    d.colour_max() = histogram.upper;
    chosen.levels = histogram.levels;
    return chosen;
}

}  // namespace

std::variant<ChosenLevels, Failure> choose_levels(const Settings& settings, const NameText& work, Descriptor& d,
                                                  const Notes& notes) {
    const bool given = limits_given(settings.lower, settings.upper);
    if (!settings.histogram_name.empty()) {
        if (given) notes.line(kLimitsIgnored);
        return levels_of_file(settings.histogram_name, d);
    }
    ChosenLevels chosen;
    LevelTable& levels = chosen.levels;
    switch (settings.distribution) {
    case Distribution::hist: {
        if (given) {
            d.colour_min() = settings.lower;
            d.colour_max() = settings.upper;
        }
        // Each tail beyond the narrowed limits may hold 0.99 % of the values.
        const float tail_fraction = 0.99f;
        std::int32_t status = GRIDLIB_OK;
        GRDHST(work.data(), work.length(), d.integers(), d.reals(), &tail_fraction, levels.data(), &status);
        if (status != GRIDLIB_OK) return failure(status, histogram_failure(status));
        equalise(levels, d.colour_min(), d.colour_max());
        break;
    }
    case Distribution::lin:
        chosen.mapping = GRIDLIB_MAPPING_LINEAR;
        if (given) {
            d.colour_min() = settings.lower;
            d.colour_max() = settings.upper;
        } else {
            d.colour_min() = d.data_min();
            d.colour_max() = d.data_max();
            // A grid of one value would give equal limits and no image; like
            // hist, draw it in the first colour. Any real spread, however
            // small (gradients in SI units span 1e-9), is kept as it is.
            if (d.colour_min() == d.colour_max())
                d.colour_max() = widened_upper(d.colour_min(), d.colour_max());
        }
        break;
    case Distribution::log:
        d.colour_min() = settings.lower;
        d.colour_max() = settings.upper;
        fill_log_distribution(levels);
        equalise(levels, d.colour_min(), d.colour_max());
        break;
    }
    return chosen;
}

bool keep_scale(const std::string& kept, Descriptor& d, const ChosenLevels& chosen) {
    LevelTable levels = chosen.levels;
    if (chosen.mapping == GRIDLIB_MAPPING_LINEAR) std::iota(levels.begin(), levels.end(), 1);
    const NameText kept_text(kept, kept.size() + 1);
    std::int32_t status = GRIDLIB_REFUSED;
    gridlib_write_histogram_file(kept_text.data(), kept_text.length(), &d.colour_min(), &d.colour_max(),
                                 levels.data(), &status);
    return status == GRIDLIB_OK;
}

}  // namespace gridlib::convert
