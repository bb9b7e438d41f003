#include "engine/ranking_summary.h"

#include "engine/report_writer.h"
#include "support/fortran_format.h"
#include "support/strings.h"

namespace imm {

namespace {

constexpr std::size_t kTitleColumn = 35;  // the title starts here
constexpr std::size_t kLerColumn = 75;    // the evidence ratio starts here, over any longer title

}  // namespace

std::string_view ler_flag(double ler) {
    if (ler <= 1.0) return "**";
    if (ler > 1.0 && ler < 2.0) return "* ";
    return "  ";
}

std::int64_t write_ranking_summary(std::int64_t unit, std::span<const RankedModel> ranks,
                                   std::span<const std::string> titles) {
    ReportWriter out(unit);
    out.empty();
    out.record(blanks(14) + "Sorvek-IMM BEST-FIT MODEL SUMMARY:");
    out.record(separator_line());
    out.record(blanks(5) + "RANK" + blanks(4) + "AICc" + blanks(7) + " Delta(AICc)" + blanks(9) + "MODEL NAME" +
               blanks(18) + "LER*<2");
    out.record(separator_line());
    for (std::size_t i = 0; i < ranks.size(); ++i) {
        const RankedModel& r = ranks[i];
        std::string row = blanks(5) + format_i(static_cast<std::int64_t>(i + 1), 3) + blanks(2) +
                          format_f_or_exponent(r.aicc, 10, 4) + blanks(2) + format_f_or_exponent(r.delta, 10, 5);
        row.resize(kTitleColumn - 1, ' ');
        row += stripped(titles[r.fitted]);
        row.resize(kLerColumn - 1, ' ');
        row += format_f_or_exponent(r.ler, 5, 2);
        row += ler_flag(r.ler);
        out.record(row);
    }
    out.record(separator_line());
    out.empty();
    return out.status();
}

}  // namespace imm
