// A file written under a temporary name beside the file it is to replace and
// renamed over it once complete, so that the file at the target's name is either
// as it was or whole. Whatever stands at that name is replaced, a link too (the
// file a link names is left alone). The temporary name is removed when the object
// goes without having replaced the target, and when the process ends at once.
#pragma once

#include <string>

#include "support/leftover_files.h"

namespace imm {

class TemporaryFile {
public:
    TemporaryFile() = default;
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    // Creates the temporary file, empty, in the target's folder, with the
    // permissions of a regular file already at the target. What stands at the
    // target must be missing, a link, or a regular file that may be written.
    // Returns "" or why not: the reason alone when the target is at fault, and
    // naming the folder when the folder refuses the new file.
    std::string create(const std::string& target);

    // The descriptor the file was created on; the file is written only through it.
    int descriptor() const { return descriptor_; }
    const std::string& name() const { return name_; }

    // Once everything written through the descriptor is on disk, renames the
    // temporary file over the target. Returns "" or the system's reason.
    std::string replace_target();

    // True when the folder, for want of permission, refused the temporary file or
    // its rename: a file at the target may still be writable in its place.
    bool folder_refused() const { return folder_refused_; }

private:
    std::string target_;
    std::string name_;
    int descriptor_ = -1;
    bool replaced_ = false;
    bool folder_refused_ = false;
    LeftoverName watch_;
};

}  // namespace imm
