// The window of a displayed plot: 800 x 600, resizable, with a File menu of
// "Save As..." (an image file, PNG by default), "Print..." and "Close". It
// redraws once a resize has settled for 100 ms and deletes itself on closing.
#pragma once

#include <QMainWindow>
#include <QTimer>

#include "window/plot.h"

QT_BEGIN_NAMESPACE
class QChartView;
class QPrinter;
QT_END_NAMESPACE

namespace imm {

class PlotWindow : public QMainWindow {
public:
    explicit PlotWindow(const PlotData& plot);

    // The window's image, as saved and printed. save_image writes it whole or
    // not at all, to the file at the end of a chosen link (link_end.h), and
    // returns "" or the message that says why the image could not be saved.
    QString save_image(const QString& file) const;
    bool print(QPrinter& printer) const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void ask_save();
    void ask_print();

    QChartView* view_;
    QTimer settle_;
};

}  // namespace imm
