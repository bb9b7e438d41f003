#include "engine/data_file_text.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace imm {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// Closes the descriptor however the reading ends.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

DataFileText failed(DataFileFault fault, int error = 0) {
    DataFileText text;
    text.fault = fault;
    text.error = error;
    return text;
}

}  // namespace

std::vector<std::string> split_lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
    return lines;
}

DataFileText read_data_file(const std::string& name) {
    // Without O_NONBLOCK, opening a FIFO would wait for a writer.
    const Descriptor file(::open(name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (file.get() < 0) return failed(DataFileFault::unreadable, errno);
    struct stat status{};
    if (::fstat(file.get(), &status) != 0) return failed(DataFileFault::unreadable, errno);
    if (!S_ISREG(status.st_mode)) return failed(DataFileFault::not_regular);

    // Read to the end whatever the size says, but never past the limit.
    std::string bytes;
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(file.get(), buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) continue;
            return failed(DataFileFault::unreadable, errno);
        }
        if (got == 0) break;
        bytes.append(buffer, static_cast<std::size_t>(got));
        if (bytes.size() > kMaxDataFileBytes) return failed(DataFileFault::too_large);
    }
    if (bytes.starts_with(kByteOrderMark)) bytes.erase(0, kByteOrderMark.size());
    DataFileText text;
    text.lines = split_lines(bytes);
    return text;
}

}  // namespace imm
