// Filling the main window's text area with the report of a run of models 1 to 3
// on the 1000 rows of bench/data/ten_curves.in (a report of 3316 lines written
// by the program), through the Qt back end on the offscreen platform: the
// program thread loads the report while the GUI thread runs its event loop, as
// in the desktop program. The time ends once the GUI thread has shown the text.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QEventLoop>
#include <filesystem>
#include <memory>
#include <thread>

#include "app/qt/qt_backend.h"
#include "window/window.h"
#include "window/write_to_textbox.h"

namespace {

void start_application() {
    static int argc = 1;
    static char name[] = "sorvek_bench";
    static char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication* application = new QApplication(argc, argv);
    (void)application;
}

void BM_ReportIntoTextArea(benchmark::State& state) {
    start_application();
    imm::install_window_backend(std::make_shared<imm::QtBackend>());
    const std::string report =
        (std::filesystem::path(SORVEK_SOURCE_DIR) / "bench" / "data" / "ten_curves_three_models.out").string();
    imm::initwindow(960, 520, "Sorvek-IMM", 480, 260, false);
    const std::int64_t area = imm::createmultilinetextbox(5, 5, 950, 510, false);
    for (auto _ : state) {
        state.PauseTiming();
        imm::settextboxcontents(area, "");
        QCoreApplication::processEvents();
        state.ResumeTiming();

        QEventLoop loaded;
        std::thread program([&] {
            imm::write2textbox(area, report);
            QMetaObject::invokeMethod(&loaded, &QEventLoop::quit, Qt::QueuedConnection);
        });
        loaded.exec();
        program.join();
        QCoreApplication::processEvents();  // the repaint
    }
    state.counters["characters"] = static_cast<double>(imm::gettextboxlength(area));
    imm::install_window_backend(nullptr);
}
BENCHMARK(BM_ReportIntoTextArea)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace
