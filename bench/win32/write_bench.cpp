// Times putting the four payloads in place as the installation does, through
// Win32Platform (staged beside the old file, the old one moved aside, the new
// one moved in, the old one deleted), against the plainest all-or-nothing code
// (CreateFileW, one WriteFile, FlushFileBuffers, MoveFileExW). Prints; never
// fails. Run by overhead.sh.
#include <windows.h>

#include <cstdio>
#include <string>

#include "payload/payloads.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_platform.h"

namespace {

bool platform_write(veldor::Win32Platform& platform, const std::string& name, veldor::Bytes bytes) {
    const std::string staged = name + std::string(veldor::staged_suffix), old = name + ".old";
    const bool present = platform.file_state(name) == veldor::FileState::normal;
    return platform.stage_file(staged, name, bytes) &&
           (!present || platform.move_file(name, old)) && platform.move_file(staged, name) &&
           (!present || platform.delete_file(old));
}

bool plain_write(const wchar_t* name, veldor::Bytes bytes) {
    const std::wstring temp = std::wstring(name) + L".new";
    HANDLE file = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok =
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
        FlushFileBuffers(file);
    CloseHandle(file);
    return ok &&
           MoveFileExW(temp.c_str(), name, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

double seconds_since(const LARGE_INTEGER& start) {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart - start.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

}  // namespace

int main() {
    veldor::Win32Platform platform(nullptr, L"");
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    const std::wstring folder = std::wstring(base) + L"veldor-bench";
    CreateDirectoryW(folder.c_str(), nullptr);
    SetCurrentDirectoryW(folder.c_str());

    constexpr int rounds = 20;
    double platform_time = 0, plain_time = 0;
    bool ok = true;
    for (int round = -1; round < rounds; ++round) {  // round -1 warms the caches
        LARGE_INTEGER start;
        QueryPerformanceCounter(&start);
        for (const veldor::Payload& p : veldor::payloads) {
            const auto bytes = platform.read_resource("CUSTOM", p.id);
            ok = ok && bytes && platform_write(platform, std::string(p.file_name), *bytes);
        }
        if (round >= 0) platform_time += seconds_since(start);

        QueryPerformanceCounter(&start);
        for (const veldor::Payload& p : veldor::payloads) {
            HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(p.id), L"CUSTOM");
            const auto* data =
                static_cast<const unsigned char*>(LockResource(LoadResource(nullptr, found)));
            const std::wstring name = veldor::win32::widen(p.file_name);
            ok = ok &&
                 plain_write(name.c_str(), veldor::Bytes(data, SizeofResource(nullptr, found)));
        }
        if (round >= 0) plain_time += seconds_since(start);
    }

    for (const veldor::Payload& p : veldor::payloads)
        DeleteFileW(veldor::win32::widen(p.file_name).c_str());
    SetCurrentDirectoryW(base);
    RemoveDirectoryW(folder.c_str());

    if (!ok) std::printf("warning: some writes failed\n");
    std::printf("write the four payloads, mean of %d rounds:\n", rounds);
    std::printf("  Win32Platform stage, move  %8.2f ms\n", platform_time * 1000 / rounds);
    std::printf("  plain Win32 calls          %8.2f ms\n", plain_time * 1000 / rounds);
    std::printf("  ratio                      %8.2f (goal: close to 1)\n",
                plain_time > 0 ? platform_time / plain_time : 0.0);
    return 0;
}
