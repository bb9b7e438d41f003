// The file and text-area commands of the main program: opening a data file,
// loading the report after a run, saving the text area, and handing the data
// file or the report to the desktop's text editor.
#pragma once

#include <string>

#include "app/program_state.h"

namespace imm {

// The open dialog; sets the data file name and the file-open flag. True when a
// file was chosen.
bool openfile(ProgramState& program);

// Loads the report of a successful run into the text area and appends the
// record "   Results written to " + report name to the report.
void readtext(ProgramState& program);

// Writes the text area's text to a file chosen in the save dialog. False when
// nothing was saved: the dialog was cancelled or the file could not be written.
bool savetext(ProgramState& program);

// The report (printscreen) or a file (editfile) in the text editor; a missing
// file greys the menu entry.
void printscreen(ProgramState& program);
void editfile(ProgramState& program, const std::string& file);

// Empties the text area.
void cleartext(ProgramState& program);

}  // namespace imm
