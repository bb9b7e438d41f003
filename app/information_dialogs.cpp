#include "app/information_dialogs.h"

#include <initializer_list>
#include <string_view>

#include "window/window.h"

namespace imm {

namespace {

std::string joined(std::initializer_list<std::string_view> lines) {
    std::string text;
    bool first = true;
    for (const std::string_view line : lines) {
        if (!first) {
            text += "\r\n";
        }
        text += line;
        first = false;
    }
    return text;
}

}  // namespace

std::string example_file_text() {
    return joined({
        "ENZYME REACTION PROGRESS CURVE DATA FILE",
        "Example input data file structure (DATA.IN):",
        "Column 1: 1st Independent variable Time data",
        "Column 2: 2nd Independent variable initial [So] data",
        "Column 3: Dependent variable [Product] or [Substrate]",
        "",
        "Number of curves: At least 3 curves are recommended.",
        "",
        "ENTER DATA IN COLUMNS ON 1ST LINE USING NOTEPAD TEXT FILE.",
        "~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~",
        "  0.0\t50.0\t 0.534   <-- CURVE #1 [So]=50",
        " 40.0\t50.0\t13.746",
        "120.0\t50.0\t32.728",
        "160.0\t50.0\t42.628",
        "200.0\t50.0\t45.370",
        "240.0\t50.0\t50.784",
        "280.0\t50.0\t50.427",
        "320.0\t50.0\t51.246",
        "360.0\t50.0\t48.362",
        "  0.0\t100.0\t-0.641   <-- CURVE #2 [So]=100",
        " 40.0\t100.0\t14.850",
        "120.0\t100.0\t37.821",
        "160.0\t100.0\t50.926",
        "200.0\t100.0\t61.111",
        "240.0\t100.0\t73.611",
        "280.0\t100.0\t83.974",
        "320.0\t100.0\t93.091",
        "360.0\t100.0\t98.682",
        "  0.0\t500.0\t 2.315   <-- CURVE #3 [So]=500",
        " 40.0\t500.0\t14.138",
        "120.0\t500.0\t42.735",
        "160.0\t500.0\t57.799",
        "200.0\t500.0\t71.688",
        "240.0\t500.0\t84.473",
        "280.0\t500.0\t97.009",
        "320.0\t500.0\t112.180",
        "360.0\t500.0\t123.469",
    });
}

std::string model_library_text() {
    return joined({
        "     Sorvek-IMM\u2122 SOFTWARE LIBRARY MODEL TYPES",
        "",
        "NOTE: Data files require Time, [So], Product or Substrate data in 3 columns.",
        "",
        "1- Product vs time Integrated Michaelis-Menten: Parameters=2",
        "   y = So - Km*OmegW((So/Km)*EXP((So-Vm*t)/Km))",
        "",
        "2- Product vs time Integrated Michaelis-Menten - Baseline: Parameters=3",
        "   (Background 'bkg' product signal adjusted)",
        "   y = So - Km*OmegaW((So/Km)*EXP((So-Vm*t)/Km)) + bkg",
        "",
        "3- Product vs time Integrated Michaelis-Menten: Parameters=3",
        "   (Negative time 't0' adjusted)",
        "   y = So - Km*OmegaW((So/Km)*EXP((So-Vm*(t + t0))/Km))",
        "",
        "4- Substrate vs time Integrated Michaelis-Menten: Parameters=2",
        "   y = Km*OmegaW((So/Km)*EXP((So-Vm*t)/Km))",
        "",
        "5- Substrate vs time Integrated Michaelis-Menten - Baseline: Parameters=3",
        "   (Background 'bkg' substrate signal adjusted)",
        "    y = Km*OmegaW((So/Km)*EXP((So-Vm*t)/Km)) + bkg",
        "",
        "6- Substrate vs time Integrated Michaelis-Menten: Parameters=3",
        "   (Negative time 't0' adjusted)",
        "    y = Km*OmegaW((So/Km)*EXP((So-Vm*(t + t0))/Km))",
        "",
        "o AIC is a statistical method to compare different models.",
        "  Corrected AICc = n*LN(SSR/n) + (factor)*(p+1)*n/(n-p)",
        "  Where factor is a function of p and n.",
        "o Akaike Weight: Wti = EXP(-0.5*(AICc,i-AICcmin)) /",
        "  SUM,j=1[ EXP(-0.5*(AICc,j-AICcmin)) ]",
        "o LER = Log(Evidence Ratio (WtMin/Wti)) of Akaike AICc weights",
    });
}

std::string mechanism_text() {
    return joined({
        "Explicit, Closed-form Solutions to Progress Curves",
        "",
        "Sorvek-IMM estimates kinetic parameters from progress-curve",
        "data of enzyme-catalysed reactions whose rate equations",
        "reduce to forms analogous to the Michaelis-Menten equation.",
        "The Lambert W function (the Omega function) gives explicit,",
        "closed-form solutions of the integrated rate equations for",
        "substrate depletion and product accumulation curves, so that",
        "the nonlinear estimation of the parameters needs only basic",
        "algebraic expressions and no numerical integration of the",
        "differential rate equation.",
        "The approach was verified on experimental progress curves,",
        "which it uses instead of pairs of initial velocity and",
        "substrate concentration to estimate Vmax and Km: every point",
        "of every curve enters the fit, and the integrated equations",
        "account for substrate depletion over the whole time course",
        "of the reaction.",
        "",
        "Reference.: ",
        "o Analysis of progress curves for enzyme-catalyzed reactions:",
        "   application to unstable enzymes, coupled reactions and",
        "   transient-state kinetics. Biochim. Biophys. Acta,",
        "   1205 (2): 268-274 (1994).",
        "o Analysis of enzyme progress curves by non-linear regression.",
        "   Methods in Enzymology, 249: 61-90 (1995).",
        "o Closed form solution for time-dependent enzyme kinetics.",
        "   Journal of Theoretical Biology, 187 (2): 207-212 (1997).",
        "o A Century of Enzyme Kinetics: Reliability of the Km and",
        "   Vmax Estimates. Comments on Theoretical Biology, 8:",
        "   169\u2013187 (2003).",
        "o Progress curve analysis for enzyme and microbial kinetic",
        "   reactions using explicit solutions based on the Lambert W",
        "   function. Journal of Microbiological Methods, 59 (3):",
        "   317-326 (2004).",
        "o Exact and Approximate Solutions for the Decades-old",
        "   Michaelis-Menten Equation: Progress-curve Analysis Through",
        "   Integrated Rate Equations. Biochemistry and Molecular",
        "   Biology, 39 (2): 117\u2013125 (2011).",
    });
}

std::string about_text() {
    return joined({
        "               Sorvek-IMM\u2122 - Enzyme Progress of Reaction Software",
        "",
        "Estimates Km, Vm and, by model, a background signal or a time",
        "offset from enzyme reaction progress curves, by fitting six",
        "integrated Michaelis-Menten models, written in closed form",
        "through the Lambert W function, to all curves of a data file",
        "at once.",
        "Reports standard errors, 95% confidence limits, AICc model",
        "ranking and a breakpoint analysis of each fitted curve, and",
        "draws XY, rate and residual plots.",
    });
}

std::string help_text() {
    return joined({
        "   Sorvek-IMM\u2122 Instructions of Use",
        "",
        "          Sorvek-IMM\u2122 - Enzyme Progress Curve Modeling Software",
        "",
        " INSTRUCTIONS:",
        "",
        "   1- Open a data file (filename.in) by selecting the [OpenData] menu.",
        "   2- Choose one or more models to analyze by selecting [Models].",
        "   3- Choose whether to weight the regression by selecting [Weight].",
        "   4- Select the [Run] menu to execute the regression analysis.",
        "   5- For multiple models, close each plot after it is displayed.",
        "   6- The [XY_Plot] menu displays the best-fit model.",
        "   7- The [Residuals] menu displays residuals of the best-fit model.",
        "   8- The [Clear) menu clears the displayed results.",
        "   9- All results are saved in filename.out.",
        "   10- To end the program select [Quit].",
        "   11- The data file structure is shown in [File/Example Data File].",
        "   12- The internal library of models is display in [File/Model Library.",
        "   13- Progress curve models are discribed in [File/Enzymatic Mechanism].",
    });
}

void examplefile() {
    dlgmessage(1, example_file_text());
}

void models() {
    dlgmessage(1, model_library_text());
}

void mechanism() {
    dlgmessage(1, mechanism_text());
}

void about() {
    dlgmessage(1, about_text());
}

void help() {
    dlgmessage(1, help_text());
}

}  // namespace imm
