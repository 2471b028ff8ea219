#include "platform/win32/folder_guard.h"

#include "platform/win32/wide.h"

namespace veldor::win32 {

void FolderGuard::hold(const std::string& folder) {
    // Windows reads a doubled separator after a drive's root as one.
    static constexpr std::array<const char*, 5> below{"", "\\data", "\\data\\cmn",
                                                      "\\data\\cmn\\fe", "\\data\\gui"};
    for (std::size_t i = 0; i < below.size(); ++i)
        // Listing access, not attributes alone: only an opening for reading,
        // writing or deleting makes its sharing count against others.
        held_[i].reset(folder.empty()
                           ? INVALID_HANDLE_VALUE
                           : CreateFileW(widen(folder + below[i]).c_str(),
                                         FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                         FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                                         nullptr));
}

}  // namespace veldor::win32
