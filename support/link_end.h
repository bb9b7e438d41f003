// Where a chain of symbolic links ends, so that a file can be written at the
// place a link names while the link itself stays as it is.
#pragma once

#include <string>

namespace imm {

struct LinkEnd {
    std::string path;    // the name itself when it is no link; may not exist yet
    std::string reason;  // why the chain could not be followed; path is then empty
};

// Follows the links at name, each relative one from its own folder. A link in a
// sticky folder that everyone may write to, such as /tmp, is followed only when
// it belongs to the effective user or to the folder's owner (whatever the
// system's own fs.protected_symlinks setting): someone else may have planted it.
LinkEnd link_end(const std::string& name);

}  // namespace imm
