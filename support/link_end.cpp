#include "support/link_end.h"

#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <climits>
#include <string_view>
#include <filesystem>

#include "support/system_reason.h"

namespace imm {

namespace {

// As many links as the system itself follows in one name.
constexpr int kMostLinks = 40;

}  // namespace

LinkEnd link_end(const std::string& name) {
    std::filesystem::path path = name;
    for (int links = 0;; ++links) {
        struct stat status{};
        if (::lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) return {path.string(), ""};
        if (links == kMostLinks) return {"", system_reason(ELOOP)};
        std::array<char, PATH_MAX> target{};
        const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
        if (length < 0) return {"", system_reason(errno)};
        if (static_cast<std::size_t>(length) == target.size()) return {"", system_reason(ENAMETOOLONG)};
        // An absolute target replaces the folder.
        path = path.parent_path() / std::string_view(target.data(), static_cast<std::size_t>(length));
    }
}

}  // namespace imm
