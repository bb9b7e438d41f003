// A window of the window layer: a drawing area of the requested size with the
// window's text area and controls on it, and an optional menu bar above.
#pragma once

#include <QButtonGroup>
#include <QMainWindow>
#include <QPointer>
#include <QRadioButton>
#include <vector>

#include "window/window_backend.h"

namespace imm {

class Canvas : public QWidget {
public:
    explicit Canvas(QWidget* parent);
    void clear(std::int64_t colour);
    void add_text(const TextPlacement& text);
    // The widget keeps its distances to the edges of the drawing area of the
    // given size when the window is resized (the report area grows with it).
    void keep_margins(QWidget* child, QSize drawing_area);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Anchored {
        QPointer<QWidget> widget;
        QMargins margins;
    };
    void place(const Anchored& anchored) const;
    QColor background_ = Qt::white;
    std::vector<TextPlacement> texts_;
    std::vector<Anchored> anchored_;
};

class LayerWindow : public QMainWindow {
public:
    explicit LayerWindow(const WindowSpec& layout);

    std::int64_t id() const { return id_; }
    Canvas* canvas() const { return canvas_; }
    // The drawing area's size as the window was opened.
    QSize drawing_area() const { return client_; }
    // Makes room for the menu bar so that the drawing area keeps its size.
    void show_menu_bar();
    // Closes the window for the layer (a frame close goes to the layer first).
    void close_for_layer();

    std::vector<QPointer<QRadioButton>> radio_buttons;
    // Holds the radio buttons without making them exclusive: the layer does.
    QButtonGroup* radio_group() const { return radio_group_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    std::int64_t id_;
    QSize client_;
    Canvas* canvas_;
    QButtonGroup* radio_group_;
    bool closing_ = false;
};

// The font of a font style: 1 serif, 6 sans serif, 7 (and any other) the
// application font; the size is in pixels.
QFont font_of(const FontStyle& style);
QColor colour_of(std::int64_t rgb);

}  // namespace imm
