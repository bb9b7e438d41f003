// The layer's texts are UTF-8 with CR LF line breaks; Qt's are QStrings with LF.
#pragma once

#include <QString>
#include <cstdint>
#include <string>

namespace imm {

QString to_qt_text(const std::string& text);
std::string from_qt_text(const QString& text);
// A position in the layer's text (CR LF counting two) as a position in Qt's.
std::int64_t qt_text_position(const std::string& text, std::int64_t position);

}  // namespace imm
