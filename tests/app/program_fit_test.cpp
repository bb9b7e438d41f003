// The regression driver with the program's options, through the headless window layer.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/program_fit.h"
#include "support/shared_blocks.h"
#include "tests/working_folder.h"
#include "window/headless_backend.h"

namespace imm {
namespace {

namespace fs = std::filesystem;

// The program's run shows the XY plot of each model once it is fitted.
TEST(ProgramFit, XyPlotAfterEachModel) {
    const test::WorkingFolder folder("sorvek_program_fit_");
    fs::copy_file(fs::path(SORVEK_SOURCE_DIR) / "examples" / "example.in", "example.in");
    for (auto& flag : global_types.imdl) flag = 0;
    global_types.imdl[0] = 1;
    global_types.imdl[1] = 1;
    global_types.imdlno = 1;
    global_types.brerun = false;
    global_types.nwt_global = 0;
    global_types.varsav.fill(0.0);
    HeadlessSession session;
    RandomContext random = RandomContext::seeded(11);
    std::string name = "example.in";
    std::int64_t status = -1;
    sorvek_with(name, status, random, program_run_options());
    ASSERT_EQ(status, run_finished);
    const auto plots = session.record().plots;
    ASSERT_EQ(plots.size(), 2u);
    EXPECT_TRUE(plots[0].title.starts_with("1- ")) << plots[0].title;
    EXPECT_TRUE(plots[1].title.starts_with("2- ")) << plots[1].title;
}

}  // namespace
}  // namespace imm
