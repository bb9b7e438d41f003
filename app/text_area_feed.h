// Turns bytes read from a file, in pieces of any size, into text for the text
// area: whole UTF-8 characters only, line breaks as CR LF.
#pragma once

#include <string>
#include <string_view>

namespace imm {

class TextAreaFeed {
public:
    // The text these bytes complete. A character whose last bytes have not come
    // yet is held back for the next call.
    std::string take(std::string_view bytes);
    // The bytes still held back, as they stand, once no more will come.
    std::string finish();

private:
    std::string pending_;
    bool after_cr_ = false;
};

}  // namespace imm
