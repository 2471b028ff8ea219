// A new file made under the name it waits by: written and flushed in full,
// then kept, or removed again when it goes out of scope unkept.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>

#include "platform/platform.h"

namespace veldor {

class StagedFile {
public:
    // Creates `path` with O_EXCL, so nothing that already lies there (a file,
    // a planted link) is ever opened. The kernel gives it the mode a new file
    // gets (umask, default ACL).
    static StagedFile at(const std::string& path);
    StagedFile(StagedFile&& other) noexcept;
    StagedFile& operator=(StagedFile&& other) noexcept;
    ~StagedFile();

    explicit operator bool() const { return !path_.empty(); }
    const std::string& path() const { return path_; }

    // Writes `bytes`, sets `mode` when given, flushes to disk and closes:
    // afterwards the contents are whole, or the file is abandoned.
    bool fill(Bytes bytes, std::optional<mode_t> mode);

    // Leaves the filled file where it is.
    bool keep();

private:
    StagedFile() = default;
    void discard();

    std::string path_;  // empty: nothing on disk that is ours
    int fd_ = -1;
};

}  // namespace veldor
