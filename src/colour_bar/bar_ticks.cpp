// Tick choice for the colour bar, after matplotlib's and GMT's bars: labels
// never overlap, round numbers on value axes.
#include "colour_bar/bar_ticks.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace gridlib::colour_bar {
namespace {

constexpr int kGridDigits = 7;  // what a 32-bit real holds

std::string fixed_text(double v, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, v);
    std::string s = text;
    // A value that rounds to zero from below would read "-0".
    if (s.find_first_not_of("-0.") == std::string::npos && s[0] == '-') s.erase(0, 1);
    return s;
}

std::string general_text(double v, int digits) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*g", digits, v);
    return text;
}

// Ticks at least min_gap apart, taken from the lower end up.
std::vector<Tick> spaced(std::vector<Tick> ticks, double min_gap) {
    std::vector<Tick> kept;
    for (Tick& t : ticks)
        if (kept.empty() || t.place - kept.back().place >= min_gap) kept.push_back(std::move(t));
    return kept;
}

// Round numbers in lower..upper, about `wanted` of them.
std::vector<double> round_values(double lower, double upper, int wanted) {
    const double step = nice_number((upper - lower) / std::max(1, wanted - 1), true);
    std::vector<double> values;
    if (!(step > 0) || !std::isfinite(step)) return {lower, upper};
    const double first = std::ceil(lower / step - 1e-9);
    for (double n = first; n * step <= upper + step * 1e-9 && values.size() < 1000; n += 1) values.push_back(n * step);
    return values;
}

std::vector<Tick> linear_ticks(const BarDescription& bar, double min_gap) {
    const double lower = bar.steps.front().begins, upper = bar.upper;
    const auto wanted = static_cast<int>(std::clamp(std::floor(1.0 / min_gap), 2.0, 10.0));
    const std::vector<double> values = round_values(lower, upper, wanted);
    const double step = values.size() > 1 ? values[1] - values[0] : upper - lower;
    const int decimals = std::max(0, -static_cast<int>(std::floor(std::log10(step) + 1e-9)));
    const double largest = std::max(std::fabs(lower), std::fabs(upper));
    std::vector<Tick> ticks;
    for (const double v : values) {
        const std::string text = decimals <= 6 && largest < 1e9 ? fixed_text(v, decimals) : general_text(v, 6);
        ticks.push_back({v, axis_place(bar, v), text});
    }
    return spaced(std::move(ticks), min_gap);
}

std::vector<Tick> log_ticks(const BarDescription& bar, double min_gap) {
    const double lower = bar.steps.front().begins, upper = bar.upper;
    const double decades = std::log10(upper / lower);
    // Doubles and fives too while a decade has room for them.
    const bool fine = decades * 3 <= 1.0 / min_gap;
    std::vector<Tick> ticks;
    for (int e = static_cast<int>(std::floor(std::log10(lower))); e <= static_cast<int>(std::ceil(std::log10(upper)));
         ++e) {
        for (const double m : {1.0, 2.0, 5.0}) {
            if (m != 1.0 && !fine) continue;
            const double v = m * std::pow(10.0, e);
            if (v < lower * (1 - 1e-9) || v > upper * (1 + 1e-9)) continue;
            ticks.push_back({v, axis_place(bar, v), general_text(v, 6)});
        }
    }
    // A decade or less may hold only one or two of them: round numbers
    // then, at their places on the log axis.
    if (ticks.size() < 3) return linear_ticks(bar, min_gap);
    return spaced(std::move(ticks), min_gap);
}

std::vector<Tick> step_ticks(const BarDescription& bar, double min_gap) {
    const std::vector<double> places = step_places(bar);
    std::vector<std::size_t> chosen;
    for (std::size_t i = 0; i < places.size(); ++i) {
        const bool apart = chosen.empty() || places[i] - places[chosen.back()] >= min_gap;
        // The upper limit is labelled at the top: no step label crowds it.
        if (apart && 1.0 - places[i] >= min_gap) chosen.push_back(i);
    }
    std::vector<double> values;
    for (const std::size_t i : chosen) values.push_back(bar.steps[i].begins);
    values.push_back(bar.upper);
    const std::vector<std::string> texts = value_labels(values, bar.steps.front().begins, bar.upper);
    std::vector<Tick> ticks;
    for (std::size_t t = 0; t < chosen.size(); ++t) ticks.push_back({values[t], places[chosen[t]], texts[t]});
    ticks.push_back({bar.upper, 1.0, texts.back()});
    return ticks;
}

// A value of the caller's in the fewest significant digits (up to the
// seven a grid's reals hold) that keep it, never in an exponent below 1e9.
std::string listed_text(double v) {
    const double kept = std::strtod(general_text(v, kGridDigits).c_str(), nullptr);
    const int whole_digits = std::fabs(v) >= 1 ? static_cast<int>(std::floor(std::log10(std::fabs(v)))) + 1 : 1;
    for (int digits = 1;; ++digits) {
        const std::string text = general_text(v, std::fabs(v) < 1e9 ? std::max(digits, whole_digits) : digits);
        if (digits >= kGridDigits || std::strtod(text.c_str(), nullptr) == kept) return text;
    }
}

// The caller's values, the lowest and the highest always, those between
// them where they are at least min_gap from the labels on both sides.
std::vector<Tick> listed_ticks(const BarDescription& bar, double min_gap) {
    std::vector<Tick> ticks;
    for (const double v : bar.label_values) ticks.push_back({v, axis_place(bar, v), listed_text(v)});
    if (ticks.size() < 2) return ticks;
    const Tick highest = ticks.back();
    ticks.pop_back();
    std::vector<Tick> kept;
    for (Tick& t : ticks)
        if ((kept.empty() || t.place - kept.back().place >= min_gap) && highest.place - t.place >= min_gap)
            kept.push_back(std::move(t));
    // Two ends too close for both: the higher one stays, as on the other axes.
    kept.push_back(highest);
    return kept;
}

}  // namespace

double axis_place(const BarDescription& bar, double value) {
    const double lower = bar.steps.front().begins, upper = bar.upper;
    if (bar.axis == Axis::log) return std::log(value / lower) / std::log(upper / lower);
    return (value - lower) / (upper - lower);
}

std::vector<double> step_places(const BarDescription& bar) {
    std::vector<double> places;
    const auto n = static_cast<double>(bar.steps.size());
    for (std::size_t i = 0; i < bar.steps.size(); ++i)
        places.push_back(bar.axis == Axis::steps ? static_cast<double>(i) / n : axis_place(bar, bar.steps[i].begins));
    return places;
}

std::vector<Tick> choose_ticks(const BarDescription& bar, double min_gap) {
    switch (bar.axis) {
    case Axis::linear: return bar.label_values.empty() ? linear_ticks(bar, min_gap) : listed_ticks(bar, min_gap);
    case Axis::log: return log_ticks(bar, min_gap);
    case Axis::steps: break;
    }
    return step_ticks(bar, min_gap);
}

double nice_number(double x, bool round) {
    if (!(x > 0) || !std::isfinite(x)) return x;
    const double power = std::pow(10.0, std::floor(std::log10(x)));
    const double f = x / power;
    double nice;
    if (round) {
        nice = f < 1.5 ? 1 : f < 3 ? 2 : f < 7 ? 5 : 10;
    } else {
        nice = f <= 1 ? 1 : f <= 2 ? 2 : f <= 5 ? 5 : 10;
    }
    return nice * power;
}

std::vector<std::string> value_labels(const std::vector<double>& values, double lower, double upper) {
    const double span = upper - lower > 0 ? upper - lower : std::max(std::fabs(upper), 1.0);
    double largest = 0;
    for (const double v : values) largest = std::max(largest, std::fabs(v));
    const int span_digit = static_cast<int>(std::floor(std::log10(span)));
    const int top_digit = largest > 0 ? static_cast<int>(std::floor(std::log10(largest))) : span_digit;
    std::vector<std::string> texts;
    for (int decimals = 2 - span_digit;; ++decimals) {
        const int significant = std::clamp(top_digit + 1 + decimals, 1, kGridDigits);
        const bool fixed = decimals <= 8 && largest < 1e9;
        // Rounded to tens or more, a label keeps its zeros: 1230, not 1.23e+03.
        const double unit = std::pow(10.0, -decimals);
        texts.clear();
        for (const double v : values)
            texts.push_back(fixed ? fixed_text(decimals < 0 ? std::round(v / unit) * unit : v, std::max(decimals, 0))
                                  : general_text(v, significant));
        const bool distinct = std::adjacent_find(texts.begin(), texts.end()) == texts.end();
        if (distinct || significant >= kGridDigits) break;
    }
    return texts;
}

}  // namespace gridlib::colour_bar
