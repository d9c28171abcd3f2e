#pragma once

// Copies what `cp -a` keeps beyond mode, owner and times: the user's extended
// attributes ("user.*") and the POSIX ACLs ("system.posix_acl_access" and, on
// folders, "system.posix_acl_default") from one open entry to another.
namespace ExtendedAttributes {

enum class Outcome { kept, notStorable };

// `notStorable` when the target's file system refuses some of them (no such
// attributes there, value too large): the copy itself still counts. Other
// failures of the target (full disk, I/O) return false with errno set.
bool copy(int sourceFd, int targetFd, Outcome& outcome);

} // namespace ExtendedAttributes
