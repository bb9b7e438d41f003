// A file written under a temporary name beside the file it is to replace and
// renamed over it once complete, so that the file at the target's name is either
// as it was or whole. Whatever stands at that name is replaced, a link too (the
// file a link names is left alone). The temporary name is removed when the object
// goes without having replaced the target, and when the process ends at once.
#pragma once

#include <cstdint>
#include <string>

#include "support/leftover_files.h"

namespace imm {

class TemporaryFile {
public:
    TemporaryFile() = default;
    // Disconnects the unit; the temporary file goes unless it took the target's place.
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    // Creates the temporary file, empty, in the target's folder, with the
    // permissions of a regular file already at the target. What stands at the
    // target must be missing, a link, or a regular file that may be written.
    // Returns "" or why not: the reason alone when the target is at fault, and
    // naming the folder when the folder refuses the new file.
    std::string create(const std::string& target);

    // Connects the created file to the unit, which writes it from then on (through
    // a copy of the descriptor it was created on). Returns "" or the system's reason.
    std::string connect(std::int64_t unit);

    // Flushes and disconnects the unit and, once everything is on disk, renames
    // the temporary file over the target. Returns "" or the system's reason.
    std::string replace_target();

    // True when the folder, for want of permission, refused the temporary file or
    // its rename while a regular file that may be written stands at the target:
    // that file can still be written in its place.
    bool writable_in_place() const { return folder_refused_ && target_regular_; }

private:
    std::string target_;
    std::string name_;  // empty once it has replaced the target
    int descriptor_ = -1;
    std::int64_t unit_ = -1;
    bool target_regular_ = false;
    bool folder_refused_ = false;
    LeftoverName watch_;
};

}  // namespace imm
