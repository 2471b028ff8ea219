// A virus scanner's stand-in for the end-to-end test: watches a folder and
// the folders below it, and opens each file that appears there with a name
// ending in SUFFIX as soon as it can, for reading and without delete
// sharing, as on-access scanners do; holds it HOLD milliseconds. Once the
// event STOP is set and every hold has ended, it ends with the number of
// files it held.
//   scanner.exe FOLDER SUFFIX HOLD READY STOP   (READY, STOP: named events)
#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

namespace {

std::atomic<int> held{0};
DWORD hold_ms = 0;

// Retries while the installer still writes the file without sharing; gives
// up once it is gone.
DWORD WINAPI hold(void* path) {
    const std::wstring name(static_cast<wchar_t*>(path));
    std::free(path);
    for (const ULONGLONG end = GetTickCount64() + 5000; GetTickCount64() < end; Sleep(1)) {
        const HANDLE file =
            CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            ++held;
            Sleep(hold_ms);
            CloseHandle(file);
            return 0;
        }
        if (GetLastError() != ERROR_SHARING_VIOLATION) return 0;
    }
    return 0;
}

bool ends_with(const std::wstring& name, const std::wstring& suffix) {
    return name.size() >= suffix.size() &&
           _wcsicmp(name.c_str() + name.size() - suffix.size(), suffix.c_str()) == 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 6) return -1;
    const std::wstring folder = std::wstring(argv[1]) + L"\\", suffix = argv[2];
    hold_ms = std::wcstoul(argv[3], nullptr, 10);
    const HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, argv[4]);
    const HANDLE stop = OpenEventW(SYNCHRONIZE, FALSE, argv[5]);
    const HANDLE dir = CreateFileW(
        folder.c_str(), FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr);
    if (!ready || !stop || dir == INVALID_HANDLE_VALUE) return -1;
    OVERLAPPED overlapped{};
    overlapped.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    alignas(DWORD) static unsigned char buffer[64 * 1024];
    std::vector<HANDLE> holds;
    for (;;) {
        ResetEvent(overlapped.hEvent);
        if (!ReadDirectoryChangesW(dir, buffer, sizeof buffer, TRUE, FILE_NOTIFY_CHANGE_FILE_NAME,
                                   nullptr, &overlapped, nullptr))
            return -1;
        SetEvent(ready);
        const HANDLE events[] = {overlapped.hEvent, stop};
        if (WaitForMultipleObjects(2, events, FALSE, INFINITE) != WAIT_OBJECT_0) break;
        DWORD size = 0;
        GetOverlappedResult(dir, &overlapped, &size, FALSE);
        for (DWORD at = 0; size != 0;) {
            const auto* info = reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(buffer + at);
            const std::wstring name(info->FileName, info->FileNameLength / sizeof(wchar_t));
            if ((info->Action == FILE_ACTION_ADDED ||
                 info->Action == FILE_ACTION_RENAMED_NEW_NAME) &&
                ends_with(name, suffix))
                holds.push_back(
                    CreateThread(nullptr, 0, hold, _wcsdup((folder + name).c_str()), 0, nullptr));
            if (info->NextEntryOffset == 0) break;
            at += info->NextEntryOffset;
        }
    }
    CancelIo(dir);
    for (const HANDLE thread : holds) WaitForSingleObject(thread, INFINITE);
    return held;
}
