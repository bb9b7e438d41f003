// A regular file written over in its place, for a folder that takes no new file
// beside it. Room for all of the new content is taken first, so that a full disk
// or a file-size limit leaves the file as it was, and the old size comes back
// when the writing fails before any of the new content is written.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace imm {

// True when the regular file at name may be written but its folder, for want of
// permission, takes no new file beside it.
bool writable_only_in_place(const std::string& name);

class InPlaceFile {
public:
    InPlaceFile() = default;
    ~InPlaceFile();  // closes the file
    InPlaceFile(const InPlaceFile&) = delete;
    InPlaceFile& operator=(const InPlaceFile&) = delete;

    // Opens the file at name, which must be a regular file and no link, and takes
    // room in it for size bytes. Returns "" or the system's reason; the file then
    // holds what it held.
    std::string reserve(const std::string& name, std::int64_t size);

    // The reserved file, open for reading and writing, to be written from its start.
    int descriptor() const { return descriptor_; }

    // Puts the old size back, when the writing failed before it began.
    void restore_size() const;

    // Writes the bytes from the start of the reserved file, cuts it after them and
    // puts it on the disk; the old size comes back when none could be written.
    // Returns "" or the system's reason.
    std::string write(std::string_view bytes) const;

    // Puts what was written on the disk. Returns "" or the system's reason.
    std::string sync() const;

private:
    int descriptor_ = -1;
    off_t old_size_ = 0;
};

}  // namespace imm
