// The numbered I/O units of the program: a table of file connections by unit number,
// shared by the whole program and safe to inquire from any thread. Units 5 and 6 are
// the console (standard input and output). One file may be connected to two units at
// once; each connection keeps its own position.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

namespace imm {

// Status of a unit operation: 0 success, io_end at the end of the file, positive on error.
inline constexpr std::int64_t io_ok = 0;
inline constexpr std::int64_t io_end = -1;
inline constexpr std::int64_t io_bad_unit = 1;       // not a unit number
inline constexpr std::int64_t io_not_connected = 2;  // no file on the unit
inline constexpr std::int64_t io_no_file = 3;        // existing file required but missing
inline constexpr std::int64_t io_open_failed = 4;    // the file could not be opened or created
inline constexpr std::int64_t io_read_failed = 5;
inline constexpr std::int64_t io_write_failed = 6;

inline constexpr std::int64_t console_in_unit = 5;
inline constexpr std::int64_t console_out_unit = 6;

enum class OpenMode {
    existing,  // the file must exist; positioned at its start
    create,    // created when missing; positioned at its start
    append,    // created when missing; positioned at its end
    append_no_link,  // as append, but refused when a link stands at the name
};

class UnitTable {
public:
    // The program's table.
    static UnitTable& instance();

    UnitTable();
    ~UnitTable();
    UnitTable(const UnitTable&) = delete;
    UnitTable& operator=(const UnitTable&) = delete;

    // Connects the file (trailing blanks of the name ignored) to the unit. A unit connected
    // to another file is closed first; one already connected to this file is left as it is.
    std::int64_t open(std::int64_t unit, std::string_view name, OpenMode mode);
    // Connects a copy of an open descriptor to the unit, positioned at the start;
    // name is the name the unit answers to.
    std::int64_t connect(std::int64_t unit, int descriptor, std::string_view name);
    // Disconnects the unit; nothing happens when it is not connected.
    void close(std::int64_t unit);
    std::int64_t flush(std::int64_t unit);
    // Back to the start of the file.
    std::int64_t rewind(std::int64_t unit);

    // Reads the next record (line) without its line end (LF or CR LF). io_end at the end.
    std::int64_t read_line(std::int64_t unit, std::string& line);
    // Writes text followed by one line end. On a file, the record becomes the last one:
    // anything after it is cut off, as in sequential files.
    std::int64_t write_record(std::int64_t unit, std::string_view text);

    // The system's error number (errno) of the calling thread's last failed open,
    // write or flush; 0 when the system gave none.
    static int last_error();

    // Inquiries.
    static bool exists(std::int64_t unit);                // a number the table accepts
    bool opened(std::int64_t unit) const;                 // connected
    std::string name(std::int64_t unit) const;            // the name as opened; empty when not connected
    std::int64_t unit_of(std::string_view name) const;    // a unit connected to the file, or -1

private:
    struct Connection;
    mutable std::mutex mutex_;
    std::map<std::int64_t, std::unique_ptr<Connection>> units_;
};

}  // namespace imm
