#include "support/temporary_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>

#include "support/system_reason.h"
#include "support/unit_table.h"

namespace imm {

namespace {

constexpr int kNameAttempts = 100;

std::string folder_of(const std::string& file) {
    const std::string folder = std::filesystem::path(file).parent_path().string();
    return folder.empty() ? "." : folder;
}

}  // namespace

TemporaryFile::~TemporaryFile() {
    if (unit_ >= 0) UnitTable::instance().close(unit_);
    if (descriptor_ >= 0) ::close(descriptor_);
    if (!name_.empty()) ::unlink(name_.c_str());
}

std::string TemporaryFile::create(const std::string& target) {
    target_ = target;
    struct stat old{};
    const bool exists = ::lstat(target.c_str(), &old) == 0;
    const bool regular = exists && S_ISREG(old.st_mode);
    target_regular_ = regular;
    if (exists && S_ISDIR(old.st_mode)) return system_reason(EISDIR);
    if (exists && !regular && !S_ISLNK(old.st_mode)) return "not a regular file";
    if (regular && ::access(target.c_str(), W_OK) != 0) return system_reason(errno);

    // A new name in the target's folder, so that the rename stays on one file
    // system; watched before it exists, so that it never outlives the process.
    for (int attempt = 0; descriptor_ < 0; ++attempt) {
        const std::string name = target + "." + std::to_string(::getpid()) + "-" + std::to_string(attempt) + ".tmp";
        watch_.watch(name);
        descriptor_ = ::open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (descriptor_ >= 0) {
            name_ = name;
        } else if (const int error = errno; error != EEXIST || attempt + 1 == kNameAttempts) {
            watch_.release();
            folder_refused_ = permission_refused(error);
            return "no new file can be made in the folder " + folder_of(target) + ": " + system_reason(error);
        }
    }
    if (regular) ::fchmod(descriptor_, old.st_mode & 07777);
    return "";
}

std::string TemporaryFile::connect(std::int64_t unit) {
    if (UnitTable::instance().connect(unit, descriptor_, name_) != io_ok) return system_reason(UnitTable::last_error());
    unit_ = unit;
    return "";
}

std::string TemporaryFile::replace_target() {
    if (unit_ >= 0) {
        UnitTable& units = UnitTable::instance();
        const bool flushed = units.flush(unit_) == io_ok;
        const int flush_error = UnitTable::last_error();
        units.close(unit_);
        unit_ = -1;
        if (!flushed) return system_reason(flush_error);
    }
    if (::fsync(descriptor_) != 0) return system_reason(errno);
    if (std::rename(name_.c_str(), target_.c_str()) != 0) {
        const int error = errno;
        folder_refused_ = permission_refused(error);
        return system_reason(error);
    }
    name_.clear();
    watch_.release();
    return "";
}

}  // namespace imm
