#include "support/time_stamp.h"

#include <array>
#include <charconv>

namespace imm {

namespace {

constexpr std::array<const char*, 7> kDays{"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr std::array<const char*, 12> kMonths{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// v right-aligned in width characters, padded with fill.
std::string number(int v, int width, char fill) {
    std::array<char, 16> buffer{};
    const auto end = std::to_chars(buffer.data(), buffer.data() + buffer.size(), v).ptr;
    std::string digits(buffer.data(), end);
    if (static_cast<int>(digits.size()) < width) digits.insert(0, static_cast<std::size_t>(width) - digits.size(), fill);
    return digits;
}

}  // namespace

std::string time_stamp_text(const std::tm& local) {
    std::string text = std::string(kDays[static_cast<std::size_t>(local.tm_wday % 7)]) + " " +
                       kMonths[static_cast<std::size_t>(local.tm_mon % 12)] + " " + number(local.tm_mday, 2, ' ') +
                       " " + number(local.tm_hour, 2, '0') + ":" + number(local.tm_min, 2, '0') + ":" +
                       number(local.tm_sec, 2, '0') + " " + number(local.tm_year + 1900, 4, '0');
    text.resize(30, ' ');
    return text;
}

std::string time() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return time_stamp_text(local);
}

}  // namespace imm
