// A headless session with a main window and cleared shared blocks, as the
// program has them after start-up.
#pragma once

#include <string>
#include <vector>

#include "support/shared_blocks.h"
#include "window/headless_backend.h"
#include "window/plot.h"
#include "window/window.h"

namespace imm::testing {

struct Row {
    double t;
    double so;
    double yobs;
    double ycalc;
};

class PlotSession {
public:
    PlotSession() {
        a1 = DataBlock{};
        a4 = SaturationTable{};
        global_types.child_windows.fill(-1);
        main_window = initwindow(800, 600, "Main", 0, 0, true);
        global_types.child_windows.back() = main_window;
        global_types.idactivewin = main_window;
        global_types.idat = 0;
        global_types.idatasets = 0;
        global_types.imdlno = 1;
        global_types.strmdl = "Product vs time";
    }

    void set_rows(const std::vector<Row>& rows) {
        for (std::size_t i = 0; i < rows.size(); ++i) {
            a1.t[i] = rows[i].t;
            a1.so[i] = rows[i].so;
            a1.yobs[i] = rows[i].yobs;
            a1.ycalc[i] = rows[i].ycalc;
        }
        global_types.idat = static_cast<std::int64_t>(rows.size());
    }

    std::vector<PlotData> plots() const { return session.record().plots; }

    HeadlessSession session;
    std::int64_t main_window = -1;
};

}  // namespace imm::testing
