// The information dialogs: fixed texts shown in an "Information" message box,
// which blocks until the user closes it.
#pragma once

#include <string>

namespace imm {

// The example data file and its layout.
void examplefile();
// The library of the six models, with the AICc and Akaike weight formulas.
void models();
// The method and its literature.
void mechanism();
// Title and description of the program.
void about();
// Instructions of use.
void help();

// The texts they show, lines joined by CR LF.
std::string example_file_text();
std::string model_library_text();
std::string mechanism_text();
std::string about_text();
std::string help_text();

}  // namespace imm
