// Text files through numbered units: writing a text to a file, copying a file, reading
// lines of any length, and reading the report for the text area.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace imm {

// Writes text, trimmed of trailing blanks, to the file as one record (its own CR LF line
// breaks kept), replacing the file's content. A link at the name is followed, and the
// file it ends at gets the text. The text goes to a temporary file beside that file
// (temporary_file.h), connected on unit u while it is written, which replaces the file
// only once all of it is written; else the file stays as it was. Where the folder
// takes no new file but the file may be written, the file is written in place, once
// there is room for all of the text. Returns "" or why it could not be written.
std::string writelines(std::int64_t& u, std::string_view name, std::string_view text);

// Copies the input file, opened on unit u, line by line into the output file on a free
// unit; each line is written as a free-format record, which puts one blank in front.
// Both files are closed afterwards and u receives the output unit's number.
std::int64_t readlines(std::int64_t& u, std::string_view input_name, std::string_view output_name);

// Reads the next record of a unit, blank-padded or cut to the length of line, left-adjusted.
// Records starting with "!" and blank ones are skipped, and text from a later "!" on is cut.
// Returns io_ok with the first other record, or the read status.
std::int64_t readline(std::int64_t unit, std::string& line);

namespace readline_utility {

// Reads one line of any length: status 1 with the line, 0 at the end of the file or on
// an error (line and length then hold nothing).
void readline(std::int64_t unit, std::string& line, std::int64_t& status, std::int64_t& length);

}  // namespace readline_utility

// The texts the report text area receives from a file: every line after the first,
// trimmed of trailing blanks and followed by CR LF.
struct TextboxLines {
    std::int64_t status = 0;  // io_ok, or the status of the failed open
    std::vector<std::string> texts;
};

// Reads the file on a free unit (nuunit(100)), creating it when missing.
TextboxLines textbox_lines_from_file(std::string_view name);

}  // namespace imm
