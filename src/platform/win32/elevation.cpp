#include "platform/win32/elevation.h"

#include <ntsecapi.h>
#include <shellapi.h>

#include "platform/win32/handles.h"
#include "platform/win32/system_library.h"
#include "platform/win32/wide.h"

namespace veldor::win32 {
namespace {

// A report is a cause's number and a path below the game folder.
constexpr DWORD report_limit = 4096;
constexpr std::string_view pipe_path = "\\\\.\\pipe\\";

template <typename Function>
Function function_of(HMODULE library, const char* name) {
    const FARPROC found = library ? GetProcAddress(library, name) : nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(found));
}

// The pipe the worker sends its report to: a name nobody can guess to take
// first, and, as the first instance, one nobody took before.
class ReportPipe {
public:
    ReportPipe() {
        unsigned char random[16];
        if (!RtlGenRandom(random, sizeof random)) return;
        for (std::size_t i = 0; i < 32; ++i)
            name_[7 + i] = "0123456789abcdef"[(random[i / 2] >> (i % 2 * 4)) & 15];
        pipe_.reset(CreateNamedPipeW(
            widen(std::string(pipe_path).append(name())).c_str(),
            PIPE_ACCESS_INBOUND | FILE_FLAG_FIRST_PIPE_INSTANCE,
            PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1, 0,
            report_limit, 0, nullptr));
    }
    explicit operator bool() const { return static_cast<bool>(pipe_); }
    std::string_view name() const { return {name_, sizeof name_ - 1}; }

    // What lies in the pipe once the worker has ended, without waiting for
    // more: whoever else might hold it open cannot keep the window waiting.
    std::string read() const {
        DWORD available = 0, read = 0;
        if (!pipe_ || !PeekNamedPipe(pipe_.get(), nullptr, 0, nullptr, &available, nullptr) ||
            available > report_limit)
            return {};
        std::string text(available, '\0');
        if (!ReadFile(pipe_.get(), text.data(), available, &read, nullptr) || read != available)
            return {};
        return text;
    }

private:
    char name_[40] = "veldor-";
    Handle pipe_;
};

// An elevated process sees none of the player's mapped network drives: a
// folder on one is handed over as the share it is on.
std::string as_seen_elevated(const std::string& folder) {
    if (folder.size() < 2 || folder[1] != ':') return folder;
    wchar_t drive[] = {static_cast<unsigned char>(folder[0]), L':', L'\\', L'\0'};
    if (GetDriveTypeW(drive) != DRIVE_REMOTE) return folder;
    using GetConnection = DWORD(WINAPI*)(LPCWSTR, LPWSTR, LPDWORD);
    const auto get_connection =
        function_of<GetConnection>(load_system_library(L"mpr.dll"), "WNetGetConnectionW");
    wchar_t share[MAX_PATH];
    DWORD length = MAX_PATH;
    drive[2] = L'\0';
    if (!get_connection || get_connection(drive, share, &length) != NO_ERROR) return folder;
    return narrow(share).append(folder.data() + 2, folder.size() - 2);
}

// Until `process` ends, the window's messages are handled, so that it
// keeps painting; like a modal dialog's owner, it takes no input meanwhile.
void wait_painting(HWND owner, HANDLE process) {
    const bool was_enabled = owner && !EnableWindow(owner, FALSE);
    bool quit = false;
    WPARAM quit_code = 0;
    while (MsgWaitForMultipleObjects(1, &process, FALSE, INFINITE, QS_ALLINPUT) ==
           WAIT_OBJECT_0 + 1) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                quit = true;
                quit_code = message.wParam;
                continue;
            }
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    if (was_enabled) EnableWindow(owner, TRUE);
    if (quit) PostQuitMessage(static_cast<int>(quit_code));
}

}  // namespace

bool runs_elevated() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
    const Handle owned(token);
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    return GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size) &&
           elevation.TokenIsElevated;
}

void distrust_redirections() {
    // ProcessRedirectionTrustPolicy and its one flag, EnforceRedirectionTrust.
    constexpr int redirection_trust = 16;
    DWORD enforce = 1;
    using SetPolicy = BOOL(WINAPI*)(int, PVOID, SIZE_T);
    if (const auto set =
            function_of<SetPolicy>(GetModuleHandleW(L"kernel32.dll"), "SetProcessMitigationPolicy"))
        set(redirection_trust, &enforce, sizeof enforce);
}

Elevation run_elevated(HWND owner, const std::string& folder, bool restore) {
    const ReportPipe pipe;
    std::string arguments = restore ? "/S /RESTORE " : "/S ";
    if (pipe) arguments.append("/REPORT=").append(pipe.name()) += ' ';
    arguments.append("/D=").append(as_seen_elevated(folder));
    const std::wstring parameters = widen(arguments);
    // The program's own path, however long.
    std::wstring program(0x8000, L'\0');
    GetModuleFileNameW(nullptr, program.data(), 0x8000);

    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    info.hwnd = owner;
    info.lpVerb = L"runas";
    info.lpFile = program.c_str();
    info.lpParameters = parameters.c_str();
    info.nShow = SW_HIDE;
    Elevation elevation;
    if (!ShellExecuteExW(&info)) {
        if (GetLastError() == ERROR_CANCELLED) elevation.kind = Elevation::declined;
        return elevation;
    }
    const Handle worker(info.hProcess);
    if (!worker) return elevation;
    wait_painting(owner, worker.get());
    DWORD code = 0;
    if (!GetExitCodeProcess(worker.get(), &code)) return elevation;
    return {Elevation::ran, static_cast<int>(code), pipe.read()};
}

void send_report(std::string_view name, std::string_view report) {
    // At identification level only: the window, run as the player, cannot
    // act with this process's rights.
    const Handle pipe(CreateFileW(widen(std::string(pipe_path).append(name)).c_str(), GENERIC_WRITE,
                                  0, nullptr, OPEN_EXISTING,
                                  SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION, nullptr));
    DWORD written = 0;
    if (pipe && report.size() <= report_limit)
        WriteFile(pipe.get(), report.data(), static_cast<DWORD>(report.size()), &written, nullptr);
}

}  // namespace veldor::win32
