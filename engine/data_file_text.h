// Reading a data file into memory, once, before it is scanned and its rows read.
// Only a regular file of bounded size is read, so a FIFO, a device or a huge file
// can neither hang the program nor fill its memory.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace imm {

// The largest data file read: 1 MiB, ten times 1000 long rows.
inline constexpr std::size_t kMaxDataFileBytes = std::size_t{1} << 20;

enum class DataFileFault {
    none,
    unreadable,   // opening or reading failed; error holds the system's reason
    not_regular,  // a FIFO, device, folder or socket
    too_large,    // more than kMaxDataFileBytes
};

struct DataFileText {
    DataFileFault fault = DataFileFault::none;
    int error = 0;  // errno of an unreadable file
    // The lines without their line ends (LF, CR LF or CR); a UTF-8 byte-order mark at
    // the start of the file is dropped.
    std::vector<std::string> lines;
};

DataFileText read_data_file(const std::string& name);

// The lines of a text, split at LF, CR LF or CR; a last line without a line end
// counts, an empty text has no lines.
std::vector<std::string> split_lines(const std::string& text);

}  // namespace imm
