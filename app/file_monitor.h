// Follows a file that the program writes on an I/O unit: a thread of its own
// copies whatever is added to the file into a text area, looking at least every
// 2 seconds, and makes a last copy once the unit has been closed.
#pragma once

#include <cstdint>
#include <string>
#include <thread>

namespace imm {

// The monitor's thread. Dropping the handle leaves the thread running; it ends by
// itself after the unit has closed.
class FileMonitorHandle {
public:
    FileMonitorHandle() = default;
    explicit FileMonitorHandle(std::thread thread) : thread_(std::move(thread)) {}
    FileMonitorHandle(FileMonitorHandle&&) = default;
    FileMonitorHandle& operator=(FileMonitorHandle&& other);
    ~FileMonitorHandle();

    // True when a monitor was started.
    explicit operator bool() const { return thread_.joinable(); }
    // Waits until the monitor has made its last copy.
    void join();

private:
    std::thread thread_;
};

// Follows the file connected to the unit; no monitor when the unit has no file.
FileMonitorHandle assignunit(std::int64_t text_area, std::int64_t unit);

// Follows the named file (relative to the current folder) while the unit is
// open; no monitor for an empty name.
FileMonitorHandle assignfiletotextbox(std::int64_t text_area, const std::string& name, std::int64_t unit);

// True while the unit is connected.
bool isunitopen(std::int64_t unit);

}  // namespace imm
