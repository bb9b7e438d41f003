// While it lives, no file may grow beyond the given size: a write past it fails
// with "File too large" instead of ending the process.
#pragma once

#include <signal.h>
#include <sys/resource.h>

namespace imm::test {

struct FileSizeLimit {
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &saved);
        const rlimit limited{bytes, saved.rlim_max};
        ::setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &saved);
        ::signal(SIGXFSZ, handler);
    }
    sighandler_t handler = ::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
};

}  // namespace imm::test
