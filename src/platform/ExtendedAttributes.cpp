#include "platform/ExtendedAttributes.h"

#include <cerrno>
#include <cstring>
#include <sys/xattr.h>
#include <vector>

namespace {

bool isKept(const char* name)
{
    return std::strncmp(name, "user.", 5) == 0 || std::strcmp(name, "system.posix_acl_access") == 0
        || std::strcmp(name, "system.posix_acl_default") == 0;
}

bool isRefusal(int code)
{
    return code == EOPNOTSUPP || code == EPERM || code == E2BIG || code == ERANGE || code == EINVAL
        || code == EACCES;
}

// Reads into `buffer` with a call that reports the size it needs: asks for the
// size first and again when the value grew in between. -1 with errno set on failure.
template <typename Read>
ssize_t readSized(std::vector<char>& buffer, Read read)
{
    for (int attempt = 0; attempt < 4; ++attempt) {
        const ssize_t got = read(buffer.data(), buffer.size());
        if (got >= 0 || errno != ERANGE)
            return got;
        const ssize_t needed = read(nullptr, 0);
        if (needed < 0)
            return needed;
        buffer.resize(std::size_t(needed) + 256);
    }
    errno = ERANGE;
    return -1;
}

} // namespace

namespace ExtendedAttributes {

bool copy(int sourceFd, int targetFd, Outcome& outcome)
{
    outcome = Outcome::kept;
    std::vector<char> names(1024);
    const ssize_t listed = readSized(names, [&](char* data, std::size_t size) { return flistxattr(sourceFd, data, size); });
    if (listed <= 0)
        return true; // none, or a source file system without them: nothing to keep
    std::vector<char> value(4096);
    for (ssize_t at = 0; at < listed; at += ssize_t(std::strlen(names.data() + at)) + 1) {
        const char* name = names.data() + at;
        if (!isKept(name))
            continue;
        const ssize_t length =
            readSized(value, [&](char* data, std::size_t size) { return fgetxattr(sourceFd, name, data, size); });
        if (length < 0)
            continue; // removed meanwhile, or not readable by us: as if it had not been there
        if (fsetxattr(targetFd, name, value.data(), std::size_t(length), 0) == 0)
            continue;
        if (!isRefusal(errno))
            return false;
        outcome = Outcome::notStorable;
    }
    return true;
}

} // namespace ExtendedAttributes
