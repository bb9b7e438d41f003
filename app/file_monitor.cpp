#include "app/file_monitor.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <filesystem>
#include <system_error>

#include "app/text_area_feed.h"
#include "support/unit_table.h"
#include "window/window.h"

namespace imm {

namespace {

constexpr int kPollMilliseconds = 2000;
constexpr std::size_t kReadBytes = 63;

struct MonitorRecord {
    std::int64_t text_area = 0;
    std::int64_t unit = 0;
    std::string name;
};

// Closes a file descriptor when it goes out of scope.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }

private:
    int fd_;
};

// What tells that the file has changed: its size and last-write time.
struct FileStamp {
    off_t size = -1;
    timespec written{};

    bool operator==(const FileStamp& other) const {
        return size == other.size && written.tv_sec == other.written.tv_sec &&
               written.tv_nsec == other.written.tv_nsec;
    }
};

FileStamp stamp_of(int fd) {
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        return {};
    }
    return FileStamp{info.st_size, info.st_mtim};
}

void append_to_text_area(std::int64_t text_area, const std::string& text) {
    if (!text.empty()) {
        appendtextboxtext(text_area, text);
    }
}

// Appends the file's bytes from the position on to the text area, all that was
// read in one append; the position ends at the last byte read.
void populate_from(int fd, std::int64_t text_area, off_t& position, TextAreaFeed& feed) {
    std::array<char, kReadBytes> buffer{};
    std::string text;
    for (;;) {
        const ssize_t got = ::pread(fd, buffer.data(), buffer.size(), position);
        if (got <= 0) {
            break;
        }
        position += got;
        text += feed.take(std::string_view(buffer.data(), static_cast<std::size_t>(got)));
    }
    append_to_text_area(text_area, text);
}

// Waits for a change in the folder (watch_fd -1: just the poll interval); then
// drains the notices.
void wait_for_change(int watch_fd) {
    pollfd wanted{watch_fd, POLLIN, 0};
    if (::poll(&wanted, watch_fd >= 0 ? 1 : 0, kPollMilliseconds) > 0) {
        alignas(inotify_event) std::array<char, 4096> events{};
        while (::read(watch_fd, events.data(), events.size()) > 0) {
        }
    }
}

void monitor_thread(const MonitorRecord record) {
    std::error_code ignored;
    const std::filesystem::path path = std::filesystem::absolute(record.name, ignored);
    const Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!file.valid()) {
        return;
    }
    // The stamp is taken before each copy: a write during the copy changes it.
    TextAreaFeed feed;
    off_t position = 0;
    FileStamp seen = stamp_of(file.get());
    populate_from(file.get(), record.text_area, position, feed);

    // Without a watch on the folder, a plain poll of the same interval does.
    const Descriptor watch(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
    const bool watching =
        watch.valid() &&
        ::inotify_add_watch(watch.get(), path.parent_path().c_str(), IN_MODIFY | IN_ATTRIB | IN_CLOSE_WRITE) >= 0;
    do {
        wait_for_change(watching ? watch.get() : -1);
        const FileStamp now = stamp_of(file.get());
        if (!(now == seen)) {
            seen = now;
            populate_from(file.get(), record.text_area, position, feed);
        }
    } while (isunitopen(record.unit));

    populate_from(file.get(), record.text_area, position, feed);
    append_to_text_area(record.text_area, feed.finish());
}

}  // namespace

FileMonitorHandle& FileMonitorHandle::operator=(FileMonitorHandle&& other) {
    if (thread_.joinable()) {
        thread_.detach();
    }
    thread_ = std::move(other.thread_);
    return *this;
}

FileMonitorHandle::~FileMonitorHandle() {
    if (thread_.joinable()) {
        thread_.detach();
    }
}

void FileMonitorHandle::join() {
    if (thread_.joinable()) {
        thread_.join();
    }
}

FileMonitorHandle assignunit(std::int64_t text_area, std::int64_t unit) {
    return assignfiletotextbox(text_area, UnitTable::instance().name(unit), unit);
}

FileMonitorHandle assignfiletotextbox(std::int64_t text_area, const std::string& name, std::int64_t unit) {
    if (name.empty()) {
        return {};
    }
    try {
        return FileMonitorHandle(std::thread(monitor_thread, MonitorRecord{text_area, unit, name}));
    } catch (const std::system_error&) {
        return {};
    }
}

bool isunitopen(std::int64_t unit) {
    return UnitTable::instance().opened(unit);
}

}  // namespace imm
