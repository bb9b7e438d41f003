#include "engine/console_helpers.h"

#include <cmath>
#include <cstdio>
#include <ctime>
#include <fmt/format.h>

#include "support/strings.h"
#include "support/unit_table.h"

namespace imm {

void getstr(std::string_view prompt, std::string& answer) {
    const std::string shown = fmt::format(" {} ", prompt.substr(0, static_cast<std::size_t>(s_len_trim(prompt))));
    std::fwrite(shown.data(), 1, shown.size(), stdout);
    std::fflush(stdout);
    std::string line;
    if (UnitTable::instance().read_line(console_in_unit, line) != io_ok) return;
    line.resize(std::min<std::size_t>(line.size(), 70));
    if (s_len_trim(line) == 0) return;
    assign_fixed(answer, line);
}

std::string fileno_text(int hhmmss) {
    // Spread the time over six digits: n·100·pi in single precision, rounded.
    const float spread = static_cast<float>(hhmmss) * 100.0f * static_cast<float>(3.141592653589793);
    long long n = std::llround(spread);
    while (n > 999999) n /= 10;
    return fmt::format("{:>6}", n);
}

void fileno(std::string& text) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    assign_fixed(text, fileno_text(local.tm_hour * 10000 + local.tm_min * 100 + local.tm_sec));
}

}  // namespace imm
