// Windows: the installer that holds the place is found among the top-level
// windows, as a process running a program of the same file name, and its
// window is brought to the front by this process, which the player has just
// started and which may therefore hand the foreground on.
#include "ui/single_instance.h"

#include <wx/msw/wrapwin.h>

#include <string>
#include <vector>

namespace {

std::wstring FileName(const std::wstring& path) {
    size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::wstring ProgramFileName(DWORD process) {
    std::vector<wchar_t> buffer(32768);
    DWORD size = static_cast<DWORD>(buffer.size());
    if (process == ::GetCurrentProcessId()) {
        size = ::GetModuleFileNameW(nullptr, buffer.data(), size);
        return FileName(std::wstring(buffer.data(), size));
    }
    HANDLE handle = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process);
    if (!handle) return std::wstring();
    bool ok = ::QueryFullProcessImageNameW(handle, 0, buffer.data(), &size);
    ::CloseHandle(handle);
    return ok ? FileName(std::wstring(buffer.data(), size)) : std::wstring();
}

struct Search {
    std::wstring program;
    HWND enabled = nullptr;  // a window that takes input: the box in front, if one is open
    HWND any = nullptr;
};

BOOL CALLBACK Consider(HWND window, LPARAM data) {
    auto& search = *reinterpret_cast<Search*>(data);
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    if (process == ::GetCurrentProcessId() || (!::IsWindowVisible(window) && !::IsIconic(window))) return TRUE;
    if (::CompareStringOrdinal(ProgramFileName(process).c_str(), -1, search.program.c_str(), -1, TRUE) != CSTR_EQUAL)
        return TRUE;
    if (!search.any) search.any = window;
    if (!search.enabled && ::IsWindowEnabled(window)) search.enabled = window;
    return TRUE;
}

}  // namespace

void AnswerLaterStarts() {}

bool BringRunningInstanceToFront() {
    Search search;
    search.program = ProgramFileName(::GetCurrentProcessId());
    if (search.program.empty()) return false;
    ::EnumWindows(Consider, reinterpret_cast<LPARAM>(&search));
    HWND window = search.enabled ? search.enabled : search.any;
    if (!window) return false;
    HWND owner = ::GetAncestor(window, GA_ROOTOWNER);
    if (owner && ::IsIconic(owner)) ::ShowWindow(owner, SW_RESTORE);
    if (::IsIconic(window)) ::ShowWindow(window, SW_RESTORE);
    return ::SetForegroundWindow(window) != FALSE;
}

// A mutex of the session: no folder.
std::string SingleInstanceFolder() { return std::string(); }
