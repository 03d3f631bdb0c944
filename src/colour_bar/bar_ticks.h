// Where a colour bar's steps lie along it and which values it labels.
// Places are fractions of the bar's length from its lower end (0) to its
// upper end (1).
#pragma once

#include "colour_bar/bar_description.h"

#include <string>
#include <vector>

namespace gridlib::colour_bar {

// The place of a data value on the bar's axis (linear or log; a steps axis
// has no place for values between its steps and is not asked).
double axis_place(const BarDescription& bar, double value);

// Where step i begins; step i ends where step i + 1 begins, the last at 1.
std::vector<double> step_places(const BarDescription& bar);

struct Tick {
    double value = 0;
    double place = 0;
    std::string text;
};

// The labelled ticks, ascending and at least min_gap apart, so that their
// labels never overlap when min_gap is a label's height. A steps axis
// labels the values where chosen steps begin and the upper limit, its text
// rounded to the significant digits that tell the labels apart; a linear
// axis labels round numbers (1, 2 or 5 times a power of ten apart), or the
// bar's label values where it has them (the lowest and highest kept), a log
// axis the powers of ten and their doubles and fives.
std::vector<Tick> choose_ticks(const BarDescription& bar, double min_gap);

// The numbers nearest to x of the form 1, 2, 5 or 10 times a power of ten,
// rounded (round) or at or above x (Heckbert's "nice numbers").
double nice_number(double x, bool round);

// The values as labels that tell them apart: three significant digits of
// the span lower..upper, more while two neighbours read alike, up to the
// seven a grid's 32-bit reals hold.
std::vector<std::string> value_labels(const std::vector<double>& values, double lower, double upper);

}  // namespace gridlib::colour_bar
