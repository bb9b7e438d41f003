// Sorting a real vector, optionally carrying a second one along.
#pragma once

#include <cstdint>
#include <span>

namespace imm {

// Sorts the first n entries of x: kflag 2 ascending with y carried along, 1 ascending
// alone, -2 and -1 the same descending. Equal keys keep their order, and values that are
// not numbers go last in either direction. n below 1 or another kflag changes nothing.
void dsort(std::span<double> x, std::span<double> y, std::int64_t n, std::int64_t kflag);

}  // namespace imm
