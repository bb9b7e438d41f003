#include "app/qt/plot_window.h"

#include <QAreaSeries>
#include <QBuffer>
#include <QChart>
#include <QChartView>
#include <QFileDialog>
#include <QFileInfo>
#include <QImageWriter>
#include <QLegendMarker>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QSaveFile>
#include <QScatterSeries>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <limits>

#include "app/qt/text_conversion.h"
#include "support/in_place_file.h"
#include "support/link_end.h"

namespace imm {

namespace {

constexpr qreal kLargeDot = 5.0;
constexpr qreal kSmallDot = 2.0;

QList<QPointF> points_of(const PlotSeries& series) {
    QList<QPointF> points;
    for (std::size_t i = 0; i < series.x.size(); ++i) {
        points.append(QPointF(series.x[i], series.y[i]));
    }
    return points;
}

// Bars as one filled outline rising from 0 at each point, 0.8 of the closest spacing wide.
QAbstractSeries* bars_of(const PlotSeries& series, QColor colour) {
    double spacing = std::numeric_limits<double>::max();
    for (std::size_t i = 1; i < series.x.size(); ++i) {
        const double gap = std::abs(static_cast<double>(series.x[i]) - series.x[i - 1]);
        if (gap > 0.0) {
            spacing = std::min(spacing, gap);
        }
    }
    const double half = spacing == std::numeric_limits<double>::max() ? 0.4 : 0.4 * spacing;
    auto* outline = new QLineSeries;
    for (std::size_t i = 0; i < series.x.size(); ++i) {
        const double x = series.x[i];
        *outline << QPointF(x - half, 0) << QPointF(x - half, series.y[i]) << QPointF(x + half, series.y[i])
                 << QPointF(x + half, 0);
    }
    auto* bars = new QAreaSeries(outline);
    bars->setColor(colour);
    bars->setBorderColor(colour);
    return bars;
}

QAbstractSeries* chart_series(const PlotSeries& series) {
    const QColor colour(static_cast<int>(series.red), static_cast<int>(series.green), static_cast<int>(series.blue));
    QAbstractSeries* made = nullptr;
    if (series.type == kSeriesLine) {
        auto* line = new QLineSeries;
        line->append(points_of(series));
        line->setPen(QPen(colour, 2));
        made = line;
    } else if (series.type == kSeriesBars) {
        made = bars_of(series, colour);
    } else {
        auto* dots = new QScatterSeries;
        dots->append(points_of(series));
        dots->setMarkerShape(QScatterSeries::MarkerShapeCircle);
        dots->setMarkerSize(series.type == kSeriesLargeDots ? kLargeDot : kSmallDot);
        dots->setColor(colour);
        dots->setBorderColor(colour);
        made = dots;
    }
    made->setName(QString::fromStdString(series.label));
    return made;
}

// The data's range on one axis, for automatic scales.
std::pair<double, double> data_range(const PlotData& plot, bool x_axis) {
    double low = std::numeric_limits<double>::max();
    double high = std::numeric_limits<double>::lowest();
    for (const PlotSeries& series : plot.series) {
        for (const float v : x_axis ? series.x : series.y) {
            if (!x_axis && plot.y_logarithmic && v <= 0.0f) {
                continue;
            }
            low = std::min(low, static_cast<double>(v));
            high = std::max(high, static_cast<double>(v));
        }
    }
    if (low > high) {
        return {plot.y_logarithmic && !x_axis ? 1.0 : 0.0, 10.0};
    }
    if (low == high) {
        return {low - 1.0, high + 1.0};
    }
    return {low, high};
}

// A round tick spacing (1, 2, 2.5 or 5 times a power of ten) that gives about
// five intervals over the span.
double round_tick_step(double span) {
    const double rough = span / 5.0;
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    for (const double multiple : {1.0, 2.0, 2.5, 5.0}) {
        if (rough <= multiple * power) {
            return multiple * power;
        }
    }
    return 10.0 * power;
}

QAbstractAxis* make_axis(const PlotData& plot, bool x_axis) {
    const AxisRange& range = x_axis ? plot.x : plot.y;
    const auto [low, high] = range.automatic ? data_range(plot, x_axis) : std::pair{range.low, range.high};
    QAbstractAxis* axis = nullptr;
    if (!x_axis && plot.y_logarithmic) {
        auto* log_axis = new QLogValueAxis;
        log_axis->setBase(plot.y_log_base);
        log_axis->setLabelFormat(QStringLiteral("%g"));
        log_axis->setRange(low, high);
        axis = log_axis;
    } else {
        auto* value_axis = new QValueAxis;
        value_axis->setRange(low, high);
        if (range.automatic) {
            value_axis->applyNiceNumbers();
        } else if (high > low && std::isfinite(high - low)) {
            // A given range keeps its ends; its ticks fall on round values.
            value_axis->setTickType(QValueAxis::TicksDynamic);
            value_axis->setTickAnchor(0.0);
            value_axis->setTickInterval(round_tick_step(high - low));
        }
        value_axis->setLabelFormat(QStringLiteral("%g"));
        axis = value_axis;
    }
    axis->setTitleText(QString::fromStdString(x_axis ? plot.xlabel : plot.ylabel));
    return axis;
}

QChart* make_chart(const PlotData& plot) {
    auto* chart = new QChart;
    chart->setBackgroundBrush(Qt::white);
    chart->setTitle(to_qt_text(plot.title).toHtmlEscaped().replace(QStringLiteral("\n"), QStringLiteral("<br>")));
    QAbstractAxis* x_axis = make_axis(plot, true);
    QAbstractAxis* y_axis = make_axis(plot, false);
    chart->addAxis(x_axis, Qt::AlignBottom);
    chart->addAxis(y_axis, Qt::AlignLeft);
    bool labelled = false;
    for (const PlotSeries& series : plot.series) {
        QAbstractSeries* shown = chart_series(series);
        chart->addSeries(shown);
        shown->attachAxis(x_axis);
        shown->attachAxis(y_axis);
        labelled = labelled || !series.label.empty();
        if (series.label.empty()) {
            for (QLegendMarker* marker : chart->legend()->markers(shown)) {
                marker->setVisible(false);
            }
        }
    }
    // Beside the plot, one entry a row, the legend has room for ten entries of
    // any length at the window's first size; a row below would cut them short.
    chart->legend()->setAlignment(Qt::AlignRight);
    chart->legend()->setVisible(labelled);
    return chart;
}

// Writes all of the bytes; a short write is followed by one more, which gives the reason.
bool write_whole(QSaveFile& file, const QByteArray& bytes) {
    for (qint64 done = 0; done < bytes.size();) {
        const qint64 written = file.write(bytes.constData() + done, bytes.size() - done);
        if (written <= 0) {
            return false;
        }
        done += written;
    }
    return true;
}

}  // namespace

PlotWindow::PlotWindow(const PlotData& plot) : view_(new QChartView(make_chart(plot), this)) {
    setAttribute(Qt::WA_DeleteOnClose);
    const QString title = to_qt_text(plot.title).replace(QLatin1Char('\n'), QLatin1Char(' '));
    setWindowTitle(title.isEmpty() ? QStringLiteral("Plot") : title);
    view_->setRenderHint(QPainter::Antialiasing);
    setCentralWidget(view_);
    QMenu* file = menuBar()->addMenu(QStringLiteral("File"));
    file->addAction(QStringLiteral("Save As..."), this, &PlotWindow::ask_save);
    file->addAction(QStringLiteral("Print..."), this, &PlotWindow::ask_print);
    file->addAction(QStringLiteral("Close"), this, &QWidget::close);
    settle_.setSingleShot(true);
    settle_.setInterval(100);
    connect(&settle_, &QTimer::timeout, this, [this] { view_->setUpdatesEnabled(true); });
    resize(800, 600);
}

QString PlotWindow::save_image(const QString& file) const {
    const QString failed = QStringLiteral("Could not save the image to ") + file;
    // The format is the file name's extension; an unknown one touches no file.
    const QByteArray format = QFileInfo(file).suffix().toLower().toLatin1();
    const QList<QByteArray> formats = QImageWriter::supportedImageFormats();
    if (!formats.contains(format)) {
        return failed + QStringLiteral("\nImages can be saved as ") + QString::fromLatin1(formats.join(", ")) +
               QStringLiteral(": end the file name with one of these.");
    }
    QByteArray image;
    QBuffer encoded(&image);
    encoded.open(QIODevice::WriteOnly);
    if (QImageWriter encoder(&encoded, format); !encoder.write(view_->grab().toImage())) {
        return failed + QStringLiteral(": ") + encoder.errorString();
    }
    // A chosen link is followed here, so that the saved file is the one at its end.
    const LinkEnd target = link_end(QFile::encodeName(file).toStdString());
    if (!target.reason.empty()) {
        return failed + QStringLiteral(": ") + QString::fromLocal8Bit(target.reason);
    }
    // All or nothing: the old image stays until the new one is whole. A folder that
    // takes no new file gets it in the old one's place, once there is room for all of it.
    QSaveFile saved(QFile::decodeName(QByteArray::fromStdString(target.path)));
    const bool opened = saved.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    if (opened && write_whole(saved, image) && saved.commit()) {
        return QString();
    }
    if (opened || !writable_only_in_place(target.path)) {
        return failed + QStringLiteral(": ") + saved.errorString();
    }
    InPlaceFile in_place;
    std::string reason = in_place.reserve(target.path, image.size());
    if (reason.empty()) reason = in_place.write(std::string_view(image.constData(), image.size()));
    return reason.empty() ? QString() : failed + QStringLiteral(": ") + QString::fromLocal8Bit(reason);
}

bool PlotWindow::print(QPrinter& printer) const {
    QPainter painter(&printer);
    if (!painter.isActive()) {
        return false;
    }
    const QRect page = painter.viewport();
    const QSize size = view_->size();
    const double factor = std::min(static_cast<double>(page.width()) / size.width(),
                                   static_cast<double>(page.height()) / size.height());
    painter.scale(factor, factor);
    view_->render(&painter);
    return true;
}

void PlotWindow::resizeEvent(QResizeEvent* event) {
    // Draw once the size has stayed the same for a while.
    view_->setUpdatesEnabled(false);
    settle_.start();
    QMainWindow::resizeEvent(event);
}

void PlotWindow::ask_save() {
    auto* dialog = new QFileDialog(this, QStringLiteral("Save As"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setNameFilters({QStringLiteral("PNG image (*.png)"), QStringLiteral("JPEG image (*.jpg)"),
                            QStringLiteral("BMP image (*.bmp)")});
    dialog->setDefaultSuffix(QStringLiteral("png"));
    dialog->selectFile(QStringLiteral("plot.png"));
    connect(dialog, &QFileDialog::fileSelected, this, [this](const QString& file) {
        if (const QString failure = save_image(file); !failure.isEmpty()) {
            QMessageBox::warning(this, QStringLiteral("Error"), failure);
        }
    });
    dialog->open();
}

void PlotWindow::ask_print() {
    auto printer = std::make_shared<QPrinter>(QPrinter::HighResolution);
    auto* dialog = new QPrintDialog(printer.get(), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::finished, this, [this, printer](int result) {
        if (result == QDialog::Accepted && !print(*printer)) {
            QMessageBox::warning(this, QStringLiteral("Error"), QStringLiteral("Could not print the plot."));
        }
    });
    dialog->open();
}

}  // namespace imm
