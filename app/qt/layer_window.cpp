#include "app/qt/layer_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMenuBar>
#include <QPainter>
#include <QResizeEvent>
#include <QScreen>
#include <QTimer>
#include <algorithm>

#include "app/qt/text_conversion.h"

namespace imm {

QFont font_of(const FontStyle& style) {
    QFont font = QApplication::font();
    if (style.font == 1) {
        font.setStyleHint(QFont::Serif);
        font.setFamily(QStringLiteral("Serif"));
    } else if (style.font == 6) {
        font.setStyleHint(QFont::SansSerif);
        font.setFamily(QStringLiteral("Sans Serif"));
    }
    if (style.size > 0) {
        font.setPixelSize(static_cast<int>(style.size));
    }
    return font;
}

QColor colour_of(std::int64_t rgb) {
    return QColor(static_cast<int>(rgb & 0xFF), static_cast<int>((rgb >> 8) & 0xFF),
                  static_cast<int>((rgb >> 16) & 0xFF));
}

Canvas::Canvas(QWidget* parent) : QWidget(parent) {}

void Canvas::clear(std::int64_t colour) {
    background_ = colour_of(colour);
    texts_.clear();
    update();
}

void Canvas::add_text(const TextPlacement& text) {
    texts_.push_back(text);
    update();
}

void Canvas::keep_margins(QWidget* child, QSize drawing_area) {
    const QRect r = child->geometry();
    anchored_.push_back({child, QMargins(r.left(), r.top(), drawing_area.width() - r.right() - 1,
                                         drawing_area.height() - r.bottom() - 1)});
    // The window may be wider already, for its menu bar.
    place(anchored_.back());
}

void Canvas::resizeEvent(QResizeEvent*) {
    for (const Anchored& a : anchored_) {
        place(a);
    }
}

void Canvas::place(const Anchored& anchored) const {
    const QRect inside = rect().marginsRemoved(anchored.margins);
    if (anchored.widget && inside.width() > 0 && inside.height() > 0) {
        anchored.widget->setGeometry(inside);
    }
}

void Canvas::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), background_);
    for (const TextPlacement& text : texts_) {
        const QString shown = to_qt_text(text.text);
        painter.setFont(font_of(text.font));
        painter.setPen(colour_of(text.colour));
        const QRect bounds = painter.fontMetrics().boundingRect(QRect(), 0, shown);
        int x = static_cast<int>(text.x);
        int y = static_cast<int>(text.y);
        if (text.horizontal == 1) {
            x -= bounds.width() / 2;
        } else if (text.horizontal == 2) {
            x -= bounds.width();
        }
        if (text.vertical == 1) {
            y -= bounds.height() / 2;
        } else if (text.vertical == 0) {
            y -= bounds.height();
        }
        painter.drawText(QRect(x, y, bounds.width() + 1, bounds.height() + 1), Qt::AlignLeft | Qt::AlignTop, shown);
    }
}

LayerWindow::LayerWindow(const WindowSpec& layout)
    : id_(layout.id),
      client_(static_cast<int>(layout.width), static_cast<int>(layout.height)),
      canvas_(new Canvas(this)),
      radio_group_(new QButtonGroup(this)) {
    radio_group_->setExclusive(false);
    setAttribute(Qt::WA_DeleteOnClose);
    setCentralWidget(canvas_);
    setWindowTitle(QString::fromStdString(layout.title));
    resize(client_);
    move(static_cast<int>(layout.x), static_cast<int>(layout.y));
}

void LayerWindow::show_menu_bar() {
    const QSize bar = menuBar()->sizeHint();
    // As wide as the bar's entries where the screen allows, so that none hides
    // behind the bar's extension button; the drawing area widens with it.
    const QRect usable = screen() ? screen()->availableGeometry() : QRect();
    const int room = usable.isValid() ? usable.width() - (frameGeometry().width() - width()) : bar.width();
    resize(std::max(client_.width(), std::min(bar.width(), room)), client_.height() + bar.height());
    if (usable.isValid() && frameGeometry().right() > usable.right()) {
        move(std::max(usable.left(), usable.right() + 1 - frameGeometry().width()), y());
    }
}

void LayerWindow::close_for_layer() {
    closing_ = true;
    close();
}

void LayerWindow::closeEvent(QCloseEvent* event) {
    if (closing_) {
        event->accept();
        return;
    }
    // The layer decides: it ends the process, or calls back, wakes and closes.
    event->ignore();
    const std::int64_t window = id_;
    QTimer::singleShot(0, qApp, [window] { window_events::frame_close_requested(window); });
}

}  // namespace imm
