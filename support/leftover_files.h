// Temporary files that must not outlive the process: while a LeftoverName
// watches a file's name, the name is removed when the process ends at once, by
// SIGTERM, SIGINT or SIGHUP or by end_process_now, before its owner could
// remove or rename it. Four names at most are watched at a time; a further one,
// or one longer than a path may be, is not.
#pragma once

#include <string>

namespace imm {

class LeftoverName {
public:
    LeftoverName() = default;
    ~LeftoverName();
    LeftoverName(const LeftoverName&) = delete;
    LeftoverName& operator=(const LeftoverName&) = delete;

    // Watches the file's name, made absolute.
    void watch(const std::string& name);
    // Ends the watch; the file stays as it is.
    void release();

private:
    int slot_ = -1;
};

// Installs the handlers of SIGTERM, SIGINT and SIGHUP (a signal the process
// ignores or handles itself is left so): each removes the watched names, then
// ends the process as the signal would have.
void remove_leftovers_on_signals();

// Removes the watched names and ends the process with status 0 at once,
// without static destructors.
[[noreturn]] void end_process_now();

}  // namespace imm
