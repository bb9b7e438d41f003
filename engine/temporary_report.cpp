#include "engine/temporary_report.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "support/system_reason.h"
#include "support/unit_table.h"

namespace imm {

namespace {

namespace fs = std::filesystem;

// The file a report name stands for: an existing link is followed.
std::string report_target(const std::string& report) {
    std::error_code ec;
    if (!fs::is_symlink(report, ec)) return report;
    const fs::path target = fs::canonical(report, ec);
    return ec ? report : target.string();
}

}  // namespace

TemporaryReport::~TemporaryReport() {
    if (temporary_.empty() || replaced_) return;
    UnitTable::instance().close(unit_);
    ::unlink(temporary_.c_str());
}

std::string TemporaryReport::open(std::int64_t unit, const std::string& report) {
    unit_ = unit;
    target_ = report_target(report);
    struct stat old{};
    const bool exists = ::stat(target_.c_str(), &old) == 0;
    if (exists && !S_ISREG(old.st_mode)) return "not a regular file";
    if (exists && ::access(target_.c_str(), W_OK) != 0) return system_reason(errno);

    // A new name in the report's folder, so that the rename stays on one file system.
    int fd = -1;
    for (int attempt = 0; fd < 0; ++attempt) {
        const std::string name = target_ + "." + std::to_string(::getpid()) + "-" + std::to_string(attempt) + ".tmp";
        fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            temporary_ = name;
        } else if (errno != EEXIST || attempt == 99) {
            return system_reason(errno);
        }
    }
    if (exists) ::fchmod(fd, old.st_mode & 07777);
    ::close(fd);
    if (UnitTable::instance().open(unit_, temporary_, OpenMode::create) != io_ok) {
        return system_reason(UnitTable::last_error());
    }
    return "";
}

std::string TemporaryReport::replace_report() {
    UnitTable& units = UnitTable::instance();
    const bool flushed = units.flush(unit_) == io_ok;
    const int flush_error = UnitTable::last_error();
    units.close(unit_);
    if (!flushed) return system_reason(flush_error);
    if (std::rename(temporary_.c_str(), target_.c_str()) != 0) return system_reason(errno);
    replaced_ = true;
    return "";
}

}  // namespace imm
