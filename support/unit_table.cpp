#include "support/unit_table.h"

#include <ext/stdio_filebuf.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <istream>
#include <limits>
#include <system_error>

namespace imm {

namespace fs = std::filesystem;

// A file is read and written through the descriptor it was opened on, never
// again by its name.
struct UnitTable::Connection {
    enum class Last { none, read, write };

    explicit Connection(std::FILE* console_stream) : console(console_stream) {}
    // Takes the descriptor over; one that may not be written is read only.
    Connection(int fd, std::string file_name, fs::path comparable, int refusal = 0)
        : name(std::move(file_name)), path(std::move(comparable)),
          file(std::make_unique<__gnu_cxx::stdio_filebuf<char>>(
              fd, refusal != 0 ? std::ios::in | std::ios::binary : std::ios::in | std::ios::out | std::ios::binary)),
          stream(file.get()), write_refusal(refusal) {}

    std::string name;  // as opened, trailing blanks removed
    fs::path path;     // absolute, for comparing names
    std::unique_ptr<__gnu_cxx::stdio_filebuf<char>> file;  // none for the console units
    std::iostream stream{nullptr};
    std::FILE* console = nullptr;
    std::streamoff position = 0;
    Last last = Last::none;
    bool cut_done = false;  // the file was already cut after the current write run
    int write_refusal = 0;  // why a file opened for reading only may not be written
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

// Opens the file for reading and writing, or for reading only when it may not
// be written (write_refusal then holds why). A missing file is created unless
// the mode wants an existing one, and never through a link; append_no_link
// takes no link at all. -1 with errno set when it cannot be opened.
int open_descriptor(const std::string& name, OpenMode mode, int& write_refusal) {
    const int no_link = mode == OpenMode::append_no_link ? O_NOFOLLOW : 0;
    int fd = ::open(name.c_str(), O_RDWR | O_CLOEXEC | no_link);
    if (fd >= 0) return fd;
    if (errno == ENOENT) {
        return mode == OpenMode::existing ? -1 : ::open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    }
    if (errno == EACCES || errno == EPERM || errno == EROFS || errno == ETXTBSY) {
        write_refusal = errno;
        fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC | no_link);
        if (fd < 0) errno = write_refusal;
    }
    return fd;
}

}  // namespace

UnitTable& UnitTable::instance() {
    static UnitTable table;
    return table;
}

UnitTable::UnitTable() {
    units_[console_in_unit] = std::make_unique<Connection>(stdin);
    units_[console_out_unit] = std::make_unique<Connection>(stdout);
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
    int write_refusal = 0;
    const int fd = open_descriptor(file_name, mode, write_refusal);
    if (fd < 0) return errno == ENOENT && mode == OpenMode::existing ? io_no_file : failed(io_open_failed);
    off_t position = 0;
    if (mode == OpenMode::append || mode == OpenMode::append_no_link) position = ::lseek(fd, 0, SEEK_END);
    if (position < 0) {
        const int error = errno;
        ::close(fd);
        errno = error;
        return failed(io_open_failed);
    }
    auto connection = std::make_unique<Connection>(fd, file_name, path, write_refusal);
    connection->position = position;
    units_[unit] = std::move(connection);
    return io_ok;
}

std::int64_t UnitTable::connect(std::int64_t unit, int descriptor, std::string_view name) {
    if (!exists(unit)) return io_bad_unit;
    const int fd = ::fcntl(descriptor, F_DUPFD_CLOEXEC, 0);
    if (fd < 0) return failed(io_open_failed);
    const std::string file_name(trim_name(name));
    auto connection = std::make_unique<Connection>(fd, file_name, comparable_path(file_name));
    std::lock_guard lock(mutex_);
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
    if (c.write_refusal != 0) {
        errno = c.write_refusal;
        return failed(io_write_failed);
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
        struct stat status{};
        const int fd = c.file->fd();
        if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && status.st_size > c.position &&
            ::ftruncate(fd, c.position) != 0) {
            return failed(io_write_failed);
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
