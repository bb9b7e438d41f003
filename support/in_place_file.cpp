#include "support/in_place_file.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "support/system_reason.h"

namespace imm {

namespace {

// Taking room checks the file-size limit only where it makes the file longer;
// writes past the limit fail all the same, halfway through the old content.
bool past_file_size_limit(std::int64_t size) {
    rlimit limit{};
    return ::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
           static_cast<rlim_t>(size) > limit.rlim_cur;
}

}  // namespace

bool writable_only_in_place(const std::string& name) {
    struct stat status{};
    if (::lstat(name.c_str(), &status) != 0 || !S_ISREG(status.st_mode) || ::access(name.c_str(), W_OK) != 0) {
        return false;
    }
    const std::string folder = std::filesystem::path(name).parent_path().string();
    return ::access(folder.empty() ? "." : folder.c_str(), W_OK) != 0 && permission_refused(errno);
}

InPlaceFile::~InPlaceFile() {
    if (descriptor_ >= 0) ::close(descriptor_);
}

std::string InPlaceFile::reserve(const std::string& name, std::int64_t size) {
    descriptor_ = ::open(name.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
    if (descriptor_ < 0) return system_reason(errno);
    struct stat old{};
    if (::fstat(descriptor_, &old) != 0) return system_reason(errno);
    old_size_ = old.st_size;
    if (past_file_size_limit(size)) return system_reason(EFBIG);
    const int room = size > 0 ? ::posix_fallocate(descriptor_, 0, static_cast<off_t>(size)) : 0;
    if (room != 0 && room != EOPNOTSUPP) {
        restore_size();
        return system_reason(room);
    }
    return "";
}

void InPlaceFile::restore_size() const { ::ftruncate(descriptor_, old_size_); }

std::string InPlaceFile::write(std::string_view bytes) const {
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t written =
            ::pwrite(descriptor_, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            const int error = written < 0 ? errno : EIO;
            if (done == 0) restore_size();
            return system_reason(error);
        }
        done += static_cast<std::size_t>(written);
    }
    if (::ftruncate(descriptor_, static_cast<off_t>(bytes.size())) != 0) return system_reason(errno);
    return sync();
}

std::string InPlaceFile::sync() const { return ::fsync(descriptor_) == 0 ? "" : system_reason(errno); }

}  // namespace imm
