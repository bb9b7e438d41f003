#include "app/qt/text_conversion.h"

#include <algorithm>

namespace imm {

QString to_qt_text(const std::string& text) {
    QString converted = QString::fromStdString(text);
    converted.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return converted;
}

std::string from_qt_text(const QString& text) {
    QString converted = text;
    converted.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    return converted.toStdString();
}

std::int64_t qt_text_position(const std::string& text, std::int64_t position) {
    const std::string before = text.substr(0, static_cast<std::size_t>(
                                                  std::clamp<std::int64_t>(position, 0, std::ssize(text))));
    return to_qt_text(before).size();
}

}  // namespace imm
