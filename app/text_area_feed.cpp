#include "app/text_area_feed.h"

namespace imm {

namespace {

bool is_continuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

// Bytes of the character a lead byte starts; 0 for a byte that starts none.
std::size_t sequence_length(unsigned char c) {
    if ((c & 0xE0) == 0xC0) return 2;
    if ((c & 0xF0) == 0xE0) return 3;
    if ((c & 0xF8) == 0xF0) return 4;
    return 0;
}

// Where an unfinished character starts at the end of the bytes, or their size
// when they end on a whole character (or on bytes that are not UTF-8 at all).
std::size_t unfinished_start(const std::string& bytes) {
    std::size_t lead = bytes.size();
    for (std::size_t back = 1; back <= 3 && back <= bytes.size(); ++back) {
        const auto c = static_cast<unsigned char>(bytes[bytes.size() - back]);
        if (!is_continuation(c)) {
            lead = bytes.size() - back;
            break;
        }
    }
    if (lead == bytes.size()) {
        return bytes.size();
    }
    const std::size_t length = sequence_length(static_cast<unsigned char>(bytes[lead]));
    return length > bytes.size() - lead ? lead : bytes.size();
}

}  // namespace

std::string TextAreaFeed::take(std::string_view bytes) {
    pending_.append(bytes);
    const std::size_t end = unfinished_start(pending_);
    std::string text;
    text.reserve(end + end / 8);
    for (std::size_t i = 0; i < end; ++i) {
        const char c = pending_[i];
        if (c == '\n' && !after_cr_) {
            text += '\r';
        }
        text += c;
        after_cr_ = c == '\r';
    }
    pending_.erase(0, end);
    return text;
}

std::string TextAreaFeed::finish() {
    std::string rest;
    rest.swap(pending_);
    return rest;
}

}  // namespace imm
