// A new file made under the name it waits by: written and flushed in full,
// then kept, or deleted again when it goes out of scope unkept. Movable, so
// that a caller can stage several and put them in place later.
#pragma once

#include <windows.h>

#include <string>

#include "platform/platform.h"
#include "platform/win32/handles.h"

namespace veldor::win32 {

class StagedFile {
public:
    // Creates `path` with CREATE_NEW and keeps its handle: nothing that
    // already lies there, a planted link included, is ever opened.
    // `attributes` are the new file's, such as the hidden or system attribute
    // of the file it will replace.
    static StagedFile at(const std::wstring& path, DWORD attributes);
    StagedFile() = default;  // nothing staged
    StagedFile(StagedFile&& other) noexcept;
    StagedFile& operator=(StagedFile&& other) noexcept;
    ~StagedFile();

    explicit operator bool() const { return static_cast<bool>(file_); }
    const std::wstring& path() const { return path_; }

    // Writes and flushes to disk.
    bool write(Bytes bytes);

    // Closes the file and leaves it where it is.
    bool keep();

private:
    void discard();

    std::wstring path_;  // empty: nothing on disk that is ours
    Handle file_;
};

}  // namespace veldor::win32
