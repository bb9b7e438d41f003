// The best-fit model summary at the end of the report.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "engine/model_ranking.h"

namespace imm {

// "**" for an evidence ratio of at most 10 (LER <= 1), "* " below 100, blanks otherwise.
std::string_view ler_flag(double ler);

// Writes the summary of the ranked models; titles are by fitting order, as the model
// title routine gives them. Returns the unit's status.
std::int64_t write_ranking_summary(std::int64_t unit, std::span<const RankedModel> ranks,
                                   std::span<const std::string> titles);

}  // namespace imm
