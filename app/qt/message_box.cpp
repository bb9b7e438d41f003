#include "app/qt/message_box.h"

#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <QLayout>
#include <QScreen>
#include <algorithm>

namespace imm {

bool MessageBox::event(QEvent* event) {
    const bool handled = QMessageBox::event(event);
    if (event->type() == QEvent::LayoutRequest) {
        fit_to_text();
    }
    return handled;
}

void MessageBox::showEvent(QShowEvent* event) {
    QMessageBox::showEvent(event);
    fit_to_text();
}

void MessageBox::fit_to_text() {
    auto* label = findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    if (!label || !isVisible() || !layout()) {
        return;
    }
    const int screen_width = screen() ? screen()->availableGeometry().width() : width();
    label->setWordWrap(false);
    layout()->activate();
    int fitted = std::max(layout()->totalMinimumSize().width(), width());
    if (fitted > screen_width) {
        label->setWordWrap(true);
        fitted = screen_width;
    }
    layout()->activate();
    const int height = layout()->hasHeightForWidth() ? layout()->totalHeightForWidth(fitted)
                                                     : layout()->totalMinimumSize().height();
    setFixedSize(fitted, height);
    // The label's change asks for a new layout, which would size the box again.
    QCoreApplication::removePostedEvents(this, QEvent::LayoutRequest);
}

}  // namespace imm
