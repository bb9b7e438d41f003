#include "engine/progress_title.h"

#include "window/window.h"

namespace imm {

namespace {
constexpr std::size_t kTitleLength = 80;
constexpr std::size_t kBlankAt = 76;
}  // namespace

void ProgressTitle::mark(std::int64_t n) {
    for (std::int64_t i = 0; i < n && text_.size() < kTitleLength; ++i) text_ += " |";
    if (text_.size() > kTitleLength) text_.resize(kTitleLength);
    while (!text_.empty() && text_.back() == ' ') text_.pop_back();
    show(text_);
}

void ProgressTitle::check() {
    if (text_.size() >= kBlankAt) text_.clear();
}

void ProgressTitle::show(const std::string& text) {
    setwindowtitle(text);
    refreshall();
}

}  // namespace imm
