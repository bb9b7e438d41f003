#include "support/number_text.h"

#include <stdexcept>

#include "support/fortran_format.h"
#include "support/strings.h"

namespace imm {

namespace {

FieldFormat record_format(const std::string& fmt) {
    return parse_field_format(std::string_view(fmt).substr(0, static_cast<std::size_t>(s_len_trim(fmt))));
}

void store_field(const std::string& field, std::string& s) {
    if (field.size() > s.size()) throw std::invalid_argument("field longer than the record");
    const auto first = field.find_first_not_of(' ');
    assign_fixed(s, first == std::string::npos ? std::string() : field.substr(first));
}

}  // namespace

void write_di(std::int64_t i, std::string& s, const std::string& fmt) {
    store_field(format_field(i, record_format(fmt)), s);
}

void write_dr(double r, std::string& s, const std::string& fmt) {
    store_field(format_field(r, record_format(fmt)), s);
}

}  // namespace imm
