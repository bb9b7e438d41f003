#include "engine/model_columns.h"

#include <array>
#include <string>
#include <string_view>

#include "support/unit_table.h"

namespace imm {

namespace {

constexpr std::array<std::string_view, 6> kModelLines = {
    "1- Product vs time Integrated Michaelis-Menten",
    "2- Product vs time Integrated Michaelis-Menten - Baseline",
    "3- Product vs (time+t0) Integrated Michaelis-Menten",
    "4- Substrate vs time Integrated Michaelis-Menten",
    "5- Substrate vs time Integrated Michaelis-Menten - Baseline",
    "6- Substrate vs (time+t0) Integrated Michaelis-Menten",
};

constexpr std::array<std::string_view, 4> kUndefinedModel = {
    "THE CHOSEN MODEL IS UNDEFINED, BUT",
    "SINCE THE FILE CONTAINS X1,X2,Y DATA,",
    "YOU MAY SELECT A MODEL FROM THE",
    "FOLLOWING LIST AND RERUN:",
};

constexpr std::array<std::string_view, 4> kTwoColumns = {
    "THE MODEL FUNCTION REQUIRES 3 DATA COLUMNS,",
    "BUT THE FILE CONTAINS ONLY X,Y DATA.",
    "TO RUN ENTER X1,X2,Y (3 DATA COLUMNS) AND",
    "SELECT A MODEL FROM THE FOLLOWING LIST:",
};

// Writes the opening lines and the model list, then waits for a line.
void show_model_list(const std::array<std::string_view, 4>& opening) {
    UnitTable& units = UnitTable::instance();
    units.write_record(console_out_unit, "");
    for (std::string_view line : opening) units.write_record(console_out_unit, line);
    for (std::string_view line : kModelLines) units.write_record(console_out_unit, line);
    units.write_record(console_out_unit, std::string(41, '~'));
    units.write_record(console_out_unit, " ENTER <CR>");
    units.flush(console_out_unit);
    std::string answer;
    units.read_line(console_in_unit, answer);
}

}  // namespace

void ncolmdl(std::int64_t ncols, std::int64_t model, std::int64_t& result) {
    result = 0;
    if (model <= 6) return;
    if (ncols == 3) {
        show_model_list(kUndefinedModel);
        result = 99;
    } else if (ncols == 2) {
        show_model_list(kTwoColumns);
        result = 99;
    }
}

}  // namespace imm
