#include <gtest/gtest.h>

#include <fmt/format.h>

#include <sstream>

#include "app/information_dialogs.h"
#include "window/headless_backend.h"
#include "window/window.h"

namespace imm {
namespace {

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
        lines.push_back(text.substr(start, end - start));
    }
    lines.push_back(text.substr(start));
    return lines;
}

// CR LF between the lines of a text written with LF.
std::string with_crlf(std::string_view text) {
    std::string out;
    for (const char c : text) {
        if (c == '\n') {
            out += '\r';
        }
        out += c;
    }
    return out;
}

const std::string kTm = "\xE2\x84\xA2";  // the trade mark sign

TEST(InformationDialogs, EachShowsItsTextInAnInformationBoxAndTheSameTextEveryTime) {
    HeadlessSession session;
    const std::vector<std::pair<void (*)(), std::string>> dialogs = {
        {examplefile, example_file_text()}, {models, model_library_text()}, {mechanism, mechanism_text()},
        {about, about_text()},              {help, help_text()},
    };
    for (const auto& [show, text] : dialogs) {
        show();
        show();
    }
    const auto messages = session.record().messages;
    ASSERT_EQ(messages.size(), 10u);
    for (std::size_t i = 0; i < messages.size(); ++i) {
        EXPECT_EQ(messages[i].kind, 1);
        EXPECT_EQ(messages[i].caption, "Information");
        EXPECT_EQ(messages[i].text, dialogs[i / 2].second);
    }
}

TEST(InformationDialogs, ExampleDataFile) {
    const auto lines = lines_of(example_file_text());
    ASSERT_EQ(lines.size(), 10u + 27u);
    const std::vector<std::string> head = {
        "ENZYME REACTION PROGRESS CURVE DATA FILE",
        "Example input data file structure (DATA.IN):",
        "Column 1: 1st Independent variable Time data",
        "Column 2: 2nd Independent variable initial [So] data",
        "Column 3: Dependent variable [Product] or [Substrate]",
        "",
        "Number of curves: At least 3 curves are recommended.",
        "",
        "ENTER DATA IN COLUMNS ON 1ST LINE USING NOTEPAD TEXT FILE.",
        std::string(41, '~'),
    };
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 10), head);

    const double times[] = {0, 40, 120, 160, 200, 240, 280, 320, 360};
    const double so[] = {50, 100, 500};
    const double values[3][9] = {
        {0.534, 13.746, 32.728, 42.628, 45.370, 50.784, 50.427, 51.246, 48.362},
        {-0.641, 14.850, 37.821, 50.926, 61.111, 73.611, 83.974, 93.091, 98.682},
        {2.315, 14.138, 42.735, 57.799, 71.688, 84.473, 97.009, 112.180, 123.469},
    };
    for (int c = 0; c < 3; ++c) {
        for (int r = 0; r < 9; ++r) {
            std::string expected = fmt::format("{:5.1f}\t{:.1f}\t{}{:.3f}", times[r], so[c],
                                               r == 0 && c != 1 ? " " : "", values[c][r]);
            if (r == 0) {
                expected += fmt::format("   <-- CURVE #{} [So]={}", c + 1, so[c]);
            }
            EXPECT_EQ(lines[10 + 9 * c + r], expected);
        }
    }
}

TEST(InformationDialogs, ModelLibraryWithItsTypos) {
    const std::string expected = with_crlf(
        "     Sorvek-IMM" + kTm + R"( SOFTWARE LIBRARY MODEL TYPES

NOTE: Data files require Time, [So], Product or Substrate data in 3 columns.

1- Product vs time Integrated Michaelis-Menten: Parameters=2
   y = So - Km*OmegW((So/Km)*EXP((So-Vm*t)/Km))

2- Product vs time Integrated Michaelis-Menten - Baseline: Parameters=3
   (Background 'bkg' product signal adjusted)
   y = So - Km*OmegaW((So/Km)*EXP((So-Vm*t)/Km)) + bkg

3- Product vs time Integrated Michaelis-Menten: Parameters=3
   (Negative time 't0' adjusted)
   y = So - Km*OmegaW((So/Km)*EXP((So-Vm*(t + t0))/Km))

4- Substrate vs time Integrated Michaelis-Menten: Parameters=2
   y = Km*OmegaW((So/Km)*EXP((So-Vm*t)/Km))

5- Substrate vs time Integrated Michaelis-Menten - Baseline: Parameters=3
   (Background 'bkg' substrate signal adjusted)
    y = Km*OmegaW((So/Km)*EXP((So-Vm*t)/Km)) + bkg

6- Substrate vs time Integrated Michaelis-Menten: Parameters=3
   (Negative time 't0' adjusted)
    y = Km*OmegaW((So/Km)*EXP((So-Vm*(t + t0))/Km))

o AIC is a statistical method to compare different models.
  Corrected AICc = n*LN(SSR/n) + (factor)*(p+1)*n/(n-p)
  Where factor is a function of p and n.
o Akaike Weight: Wti = EXP(-0.5*(AICc,i-AICcmin)) /
  SUM,j=1[ EXP(-0.5*(AICc,j-AICcmin)) ]
o LER = Log(Evidence Ratio (WtMin/Wti)) of Akaike AICc weights)");
    EXPECT_EQ(model_library_text(), expected);
}

TEST(InformationDialogs, HelpWithItsTypos) {
    const std::string expected = with_crlf("   Sorvek-IMM" + kTm + " Instructions of Use\n\n          Sorvek-IMM" +
                                           kTm + R"( - Enzyme Progress Curve Modeling Software

 INSTRUCTIONS:

   1- Open a data file (filename.in) by selecting the [OpenData] menu.
   2- Choose one or more models to analyze by selecting [Models].
   3- Choose whether to weight the regression by selecting [Weight].
   4- Select the [Run] menu to execute the regression analysis.
   5- For multiple models, close each plot after it is displayed.
   6- The [XY_Plot] menu displays the best-fit model.
   7- The [Residuals] menu displays residuals of the best-fit model.
   8- The [Clear) menu clears the displayed results.
   9- All results are saved in filename.out.
   10- To end the program select [Quit].
   11- The data file structure is shown in [File/Example Data File].
   12- The internal library of models is display in [File/Model Library.
   13- Progress curve models are discribed in [File/Enzymatic Mechanism].)");
    EXPECT_EQ(help_text(), expected);
}

TEST(InformationDialogs, MechanismAndAbout) {
    const auto mechanism = lines_of(mechanism_text());
    EXPECT_EQ(mechanism.front(), "Explicit, Closed-form Solutions to Progress Curves");
    const auto reference = std::find(mechanism.begin(), mechanism.end(), "Reference.: ");
    ASSERT_NE(reference, mechanism.end());
    const auto items = std::count_if(reference, mechanism.end(),
                                     [](const std::string& line) { return line.rfind("o ", 0) == 0; });
    EXPECT_EQ(items, 6);
    for (auto line = reference + 1; line != mechanism.end(); ++line) {
        EXPECT_TRUE(line->rfind("o ", 0) == 0 || line->rfind("   ", 0) == 0) << *line;
        EXPECT_LE(line->size(), 66u) << *line;
    }
    for (const char* cited : {"1205 (2): 268-274 (1994)", "249: 61-90 (1995)", "187 (2): 207-212 (1997)",
                              "317-326 (2004)", "39 (2): 117\u2013125 (2011)", "169\u2013187 (2003)"}) {
        EXPECT_NE(mechanism_text().find(cited), std::string::npos) << cited;
    }
    EXPECT_EQ(lines_of(about_text()).front(),
              "               Sorvek-IMM" + kTm + " - Enzyme Progress of Reaction Software");
}

}  // namespace
}  // namespace imm
