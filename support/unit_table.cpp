#include "support/unit_table.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <limits>
#include <system_error>

namespace imm {

namespace fs = std::filesystem;

struct UnitTable::Connection {
    enum class Last { none, read, write };

    std::string name;     // as opened, trailing blanks removed
    fs::path path;        // absolute, for comparing names
    std::fstream stream;  // unused by the console units
    std::FILE* console = nullptr;
    std::streamoff position = 0;
    Last last = Last::none;
    bool cut_done = false;  // the file was already cut after the current write run
};

namespace {

thread_local int last_system_error = 0;

// Keeps the reason of the operation that just failed and returns its status.
std::int64_t failed(std::int64_t status) {
    last_system_error = errno;
    return status;
}

std::string_view trim_name(std::string_view name) {
    const auto last = name.find_last_not_of(' ');
    return last == std::string_view::npos ? std::string_view() : name.substr(0, last + 1);
}

fs::path comparable_path(std::string_view name) {
    std::error_code ec;
    auto path = fs::weakly_canonical(fs::absolute(fs::path(name), ec), ec);
    return ec ? fs::path(name).lexically_normal() : path;
}

}  // namespace

UnitTable& UnitTable::instance() {
    static UnitTable table;
    return table;
}

UnitTable::UnitTable() {
    auto in = std::make_unique<Connection>();
    in->console = stdin;
    units_[console_in_unit] = std::move(in);
    auto out = std::make_unique<Connection>();
    out->console = stdout;
    units_[console_out_unit] = std::move(out);
}

UnitTable::~UnitTable() = default;

int UnitTable::last_error() { return last_system_error; }

bool UnitTable::exists(std::int64_t unit) {
    return unit >= 0 && unit <= std::numeric_limits<std::int32_t>::max();
}

std::int64_t UnitTable::open(std::int64_t unit, std::string_view name, OpenMode mode) {
    if (!exists(unit)) return io_bad_unit;
    const std::string file_name(trim_name(name));
    if (file_name.empty()) return io_open_failed;
    const fs::path path = comparable_path(file_name);

    std::lock_guard lock(mutex_);
    if (auto it = units_.find(unit); it != units_.end()) {
        if (!it->second->console && it->second->path == path) return io_ok;
        units_.erase(it);
    }
    std::error_code ec;
    if (fs::is_directory(path, ec)) {
        errno = EISDIR;
        return failed(io_open_failed);
    }
    if (!fs::exists(path, ec)) {
        if (mode == OpenMode::existing) return io_no_file;
        std::ofstream created(path, std::ios::binary);
        if (!created) return failed(io_open_failed);
    }
    auto connection = std::make_unique<Connection>();
    connection->name = file_name;
    connection->path = path;
    connection->stream.open(path, std::ios::in | std::ios::out | std::ios::binary);
    if (!connection->stream.is_open()) {
        const int write_error = errno;
        connection->stream.open(path, std::ios::in | std::ios::binary);
        // A file that opens only for reading keeps the reason it cannot be written.
        errno = write_error;
    }
    if (!connection->stream.is_open()) return failed(io_open_failed);
    if (mode == OpenMode::append) {
        connection->position = static_cast<std::streamoff>(fs::file_size(path, ec));
        if (ec) {
            errno = ec.value();
            return failed(io_open_failed);
        }
    }
    units_[unit] = std::move(connection);
    return io_ok;
}

void UnitTable::close(std::int64_t unit) {
    std::lock_guard lock(mutex_);
    units_.erase(unit);
}

std::int64_t UnitTable::flush(std::int64_t unit) {
    std::lock_guard lock(mutex_);
    const auto it = units_.find(unit);
    if (it == units_.end()) return io_not_connected;
    Connection& c = *it->second;
    if (c.console) return std::fflush(c.console) == 0 ? io_ok : io_write_failed;
    c.stream.flush();
    return c.stream ? io_ok : failed(io_write_failed);
}

std::int64_t UnitTable::rewind(std::int64_t unit) {
    std::lock_guard lock(mutex_);
    const auto it = units_.find(unit);
    if (it == units_.end()) return io_not_connected;
    Connection& c = *it->second;
    if (c.console) return io_ok;
    c.stream.flush();
    c.position = 0;
    c.last = Connection::Last::none;
    c.cut_done = false;
    return io_ok;
}

std::int64_t UnitTable::read_line(std::int64_t unit, std::string& line) {
    line.clear();
    std::lock_guard lock(mutex_);
    const auto it = units_.find(unit);
    if (it == units_.end()) return io_not_connected;
    Connection& c = *it->second;
    if (c.console) {
        int ch = 0;
        while ((ch = std::fgetc(c.console)) != EOF && ch != '\n') line.push_back(static_cast<char>(ch));
        if (ch == EOF && line.empty()) return std::ferror(c.console) ? io_read_failed : io_end;
    } else {
        if (c.last != Connection::Last::read) {
            c.stream.flush();
            c.stream.clear();
            c.stream.seekg(c.position);
            c.last = Connection::Last::read;
            c.cut_done = false;
        }
        std::getline(c.stream, line);
        const bool ended_by_newline = !c.stream.eof();
        if (c.stream.bad()) return io_read_failed;
        if (!ended_by_newline && line.empty()) {
            c.stream.clear();
            return io_end;
        }
        c.position += static_cast<std::streamoff>(line.size()) + (ended_by_newline ? 1 : 0);
        c.stream.clear();
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return io_ok;
}

std::int64_t UnitTable::write_record(std::int64_t unit, std::string_view text) {
    std::lock_guard lock(mutex_);
    const auto it = units_.find(unit);
    if (it == units_.end()) return io_not_connected;
    Connection& c = *it->second;
    if (c.console) {
        const bool ok = std::fwrite(text.data(), 1, text.size(), c.console) == text.size() &&
                        std::fputc('\n', c.console) != EOF;
        return ok ? io_ok : io_write_failed;
    }
    if (c.last != Connection::Last::write) {
        c.stream.clear();
        c.stream.seekp(c.position);
        c.last = Connection::Last::write;
    }
    c.stream.write(text.data(), static_cast<std::streamsize>(text.size()));
    c.stream.put('\n');
    c.stream.flush();
    if (!c.stream) {
        last_system_error = errno;
        c.stream.clear();
        return io_write_failed;
    }
    c.position += static_cast<std::streamoff>(text.size()) + 1;
    if (!c.cut_done) {
        std::error_code ec;
        if (fs::file_size(c.path, ec) > static_cast<std::uintmax_t>(c.position)) {
            fs::resize_file(c.path, static_cast<std::uintmax_t>(c.position), ec);
            if (ec) {
                errno = ec.value();
                return failed(io_write_failed);
            }
        }
        c.cut_done = true;
    }
    return io_ok;
}

bool UnitTable::opened(std::int64_t unit) const {
    std::lock_guard lock(mutex_);
    return units_.contains(unit);
}

std::string UnitTable::name(std::int64_t unit) const {
    std::lock_guard lock(mutex_);
    const auto it = units_.find(unit);
    return it == units_.end() ? std::string() : it->second->name;
}

std::int64_t UnitTable::unit_of(std::string_view name) const {
    const std::string_view file_name = trim_name(name);
    if (file_name.empty()) return -1;
    const fs::path path = comparable_path(file_name);
    std::lock_guard lock(mutex_);
    for (const auto& [unit, connection] : units_) {
        if (!connection->console && connection->path == path) return unit;
    }
    return -1;
}

}  // namespace imm
