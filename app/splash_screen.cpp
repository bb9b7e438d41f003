#include "app/splash_screen.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "support/strings.h"
#include "window/window.h"
#include "window/window_backend.h"

namespace imm {

namespace {

constexpr std::size_t kMaxSplashText = 1300;
constexpr std::int64_t kSplashFont = 7;
constexpr std::int64_t kTextMargin = 16;  // on each side of the text

constexpr auto kSplashLines = std::to_array<std::string_view>({
    "*Sorvek-IMM\u2122  - Enzyme Progress of Reaction Modeling Software",
    "",
    "Sorvek-IMM is a nonlinear regression optimization routine",
    "using Differential Evolution, Conjugate Gradient, and",
    "Quadratic-programming techniques to find the best-fit",
    "parameter values to progress curve models.",
    "",
    "Disclaimer of 'False Positive' virus:",
    "Some antivirus programs may flag this program file as a",
    "false positive. Create an exclusion for it in your antivirus",
    "software, and keep a back-up copy to recover a deleted file.",
    "",
    "NO CLAIM OR WARRANTY IS MADE WITH RESPECT",
    "TO THE ACCURACY AND FITNESS OF THIS",
    "SOFTWARE FOR A SPECIFIC APPLICATION, AND",
    "THE RESPONSIBILITY IS ENTIRELY WITH THE USER",
    "FOR ITS INSTALLATION, USE, AND FUNCTIONALITY.",
    "",
    "                                  Version 5.2",
});

}  // namespace

std::string splash_text() {
    std::string text;
    for (std::size_t i = 0; i < kSplashLines.size(); ++i) {
        if (i > 0) {
            text += "\r\n";
        }
        text += kSplashLines[i];
    }
    text.resize(std::min(text.size(), kMaxSplashText));
    text.resize(static_cast<std::size_t>(s_len_trim(text)));
    return text;
}

void splashscreen(const std::string& title, const std::string& text, std::int64_t seconds) {
    const std::int64_t background = creatergb(242, 245, 250);
    // A quarter of the screen, or wide enough for the text on a small screen.
    const FontStyle font{kSplashFont, 0, scaledpi(14)};
    const std::int64_t needed = installed_window_backend()->text_width(font, text) + 2 * kTextMargin;
    const std::int64_t width = std::min(std::max(getmaxwidth() / 4, needed), getmaxwidth());
    const std::int64_t x = std::min(getmaxwidth() / 4, getmaxwidth() - width);
    const auto height = static_cast<std::int64_t>(static_cast<double>(getmaxheight()) / 1.899999976158142);
    const std::int64_t window = initwindow(width, height, title, x, height / 2, false);
    setcolor(creatergb(0, 0, 0));
    setbkcolor(background);
    clearviewport();
    settextjustify(0, 2);
    settextstyle(font.font, font.direction, font.size);
    setwindowtitle("Sorvek-IMM");
    const std::int64_t mx = getmaxx();
    const std::int64_t my = getmaxy();
    const std::int64_t tw = textwidth(text);
    outtextxy(mx / 2 - tw / 2 + mx / 100, (my / 4) / 2 - (my / 4) / 5, text);
    refreshall();
    startidle(seconds * 2000);
    stopidle();
    refreshall();
    setcurrentwindow(getsignallingwindow());
    closewindow(window);
}

void splash() {
    setapplicationdpiaware();
    useansitext();
    splashscreen("Sorvek-Ki", splash_text(), 5);
    refreshall();
    setbkcolor(creatergb(235, 245, 250));
    clearviewport();
}

}  // namespace imm
