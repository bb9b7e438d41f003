#include "app/qt/plot_placement.h"

#include <algorithm>

namespace imm {

QRect plot_placement(const QRect& main_frame, int menu_bottom, const QSize& wanted, const QRect& screen) {
    const QSize size = wanted.boundedTo(screen.size());
    const int top = std::clamp(main_frame.top(), screen.top(), screen.bottom() - size.height() + 1);
    const int right_most = std::clamp(main_frame.right() + 1, screen.left(), screen.right() - size.width() + 1);
    const QRect candidates[] = {
        QRect(QPoint(main_frame.right() + 1, top), size),
        QRect(QPoint(main_frame.left() - size.width(), top), size),
        QRect(QPoint(right_most, menu_bottom + 1), size),
        QRect(QPoint(right_most, main_frame.top() - size.height()), size),
    };
    for (const QRect& candidate : candidates) {
        if (screen.contains(candidate)) {
            return candidate;
        }
    }
    const int below = std::clamp(menu_bottom + 1, screen.top(), screen.bottom());
    return QRect(right_most, below, size.width(), screen.bottom() - below + 1);
}

}  // namespace imm
