#include "support/link_end.h"

#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <climits>
#include <filesystem>
#include <string_view>

#include "support/system_reason.h"

namespace imm {

namespace {

// As many links as the system itself follows in one name.
constexpr int kMostLinks = 40;

// Why the link must not be followed, or "": in a sticky folder that everyone may
// write to, a link of another user than the folder's owner may have been planted.
std::string shared_folder_refusal(const std::filesystem::path& link, uid_t owner) {
    if (owner == ::geteuid()) return "";
    const std::filesystem::path parent = link.parent_path();
    struct stat folder{};
    if (::stat(parent.empty() ? "." : parent.c_str(), &folder) != 0) return system_reason(errno);
    constexpr mode_t kShared = S_ISVTX | S_IWOTH;
    if ((folder.st_mode & kShared) != kShared || folder.st_uid == owner) return "";
    return system_reason(EPERM) + ": the link " + link.string() + " in a shared folder belongs to another user";
}

}  // namespace

LinkEnd link_end(const std::string& name) {
    std::filesystem::path path = name;
    for (int links = 0;; ++links) {
        struct stat status{};
        if (::lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) return {path.string(), ""};
        if (links == kMostLinks) return {"", system_reason(ELOOP)};
        if (std::string refused = shared_folder_refusal(path, status.st_uid); !refused.empty()) return {"", refused};
        std::array<char, PATH_MAX> target{};
        const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
        if (length < 0) return {"", system_reason(errno)};
        if (static_cast<std::size_t>(length) == target.size()) return {"", system_reason(ENAMETOOLONG)};
        // An absolute target replaces the folder.
        path = path.parent_path() / std::string_view(target.data(), static_cast<std::size_t>(length));
    }
}

}  // namespace imm
