// Windows: the process's token tells whether it runs elevated, and the shell
// starts a program elevated through the "runas" verb, after its consent
// prompt.
#include "ui/admin_restart.h"

#include <wx/msw/wrapwin.h>
#include <wx/window.h>

#include <shellapi.h>

#include <utility>
#include <vector>

namespace {

AdminRestartSystem& System() {
    static AdminRestartSystem system;
    return system;
}

bool ProcessRunsElevated() {
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    bool elevated =
        ::GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size) && elevation.TokenIsElevated;
    ::CloseHandle(token);
    return elevated;
}

std::wstring ProgramFile() {
    // A path may be longer than MAX_PATH; the buffer grows until it fits.
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        DWORD length = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return std::wstring();
        if (length < buffer.size()) return std::wstring(buffer.data(), length);
        buffer.resize(buffer.size() * 2);
    }
}

std::wstring WorkingDirectory() {
    DWORD size = ::GetCurrentDirectoryW(0, nullptr);
    std::wstring directory(size, L'\0');
    DWORD length = ::GetCurrentDirectoryW(size, directory.data());
    directory.resize(length < size ? length : 0);
    return directory;
}

bool ShellStart(const AdminRestartRequest& request, HWND owner) {
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    // The call returns once the program has started, not while the shell
    // may still be at it on a thread of its own.
    info.fMask = SEE_MASK_NOASYNC;
    info.hwnd = owner;
    info.lpVerb = request.verb.c_str();
    info.lpFile = request.file.c_str();
    info.lpDirectory = request.directory.empty() ? nullptr : request.directory.c_str();
    info.nShow = SW_SHOWNORMAL;
    return ::ShellExecuteExW(&info) != FALSE;
}

}  // namespace

bool CanRestartAsAdministrator() {
    const AdminRestartSystem& system = System();
    return !(system.runsElevated ? system.runsElevated() : ProcessRunsElevated());
}

bool RestartAsAdministrator(wxWindow* owner) {
    AdminRestartRequest request{L"runas", ProgramFile(), WorkingDirectory()};
    if (request.file.empty()) return false;
    const AdminRestartSystem& system = System();
    if (system.start) return system.start(request);
    return ShellStart(request, owner ? static_cast<HWND>(owner->GetHandle()) : nullptr);
}

void SetAdminRestartSystem(AdminRestartSystem system) { System() = std::move(system); }
