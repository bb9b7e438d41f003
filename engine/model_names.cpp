#include "engine/model_names.h"

#include <array>
#include <string>
#include <string_view>


namespace imm {

namespace {

struct ModelEquations {
    std::string_view title;
    std::string_view equation;
    std::string_view generic_equation;
};

constexpr std::array<ModelEquations, 6> kEquations = {{
    {"1- Product vs time Integrated Michaelis-Menten:",
     "y = So - Km*OmegaW((So/Km)*EXP((So-Vm*t)/Km))",
     "y = X2 - P1*OmegaW((X2/P1)*(EXP((X2-P2*X1)/P1)))"},
    {"2- Product vs time Integrated Michaelis-Menten - baseline:",
     "y = So - Km*OmegaW((So/Km)*EXP((So-Vm*t)/Km)) + bkg",
     "y = X2 - P1*OmegaW((X2/P1)*(EXP((X2-P2*X1)/P1))) + P3"},
    {"3- Product vs (time + t0) Integrated Michaelis-Menten:",
     "y = So - Km*OmegaW((So/Km)*EXP((So-Vm*(t + t0))/Km))",
     "y = X2 - P1*OmegaW((X2/P1)*(EXP((X2-P2*(X1+P3))/P1)))"},
    {"4- Substrate vs time Integrated Michaelis-Menten:",
     "y = Km*OmegaW((So/Km)*EXP((So-Vm*t)/Km))",
     "y = P1*OmegaW((X2/P1)*(EXP((X2-P2*X1)/P1)))"},
    {"5- Substrate vs time Integrated Michaelis-Menten - baseline:",
     "y = Km*OmegaW((So/Km)*EXP((So-Vm*t)/Km)) + bkg",
     "y = P1*OmegaW((X2/P1)*(EXP((X2-P2*X1)/P1))) + P3"},
    {"6- Substrate vs (time + t0) Integrated Michaelis-Menten:",
     "y = Km*OmegaW((So/Km)*EXP((So-Vm*(t + t0))/Km))",
     "y = P1*OmegaW((X2/P1)*(EXP((X2-P2*(X1+P3))/P1)))"},
}};

}  // namespace

void model_names(ReportWriter& out, std::int64_t model) {
    if (model < 1 || model > 6) {
        out.empty();
        return;
    }
    const ModelEquations& m = kEquations[static_cast<std::size_t>(model - 1)];
    out.record(blanks(10) + "MODEL NAME:  " + std::string(m.title));
    out.record(blanks(15) + std::string(m.equation));
    out.empty();
    out.record(blanks(15) + std::string(m.generic_equation));
    out.empty();
}

}  // namespace imm
