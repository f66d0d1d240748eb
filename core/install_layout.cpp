// The install layout, the date stamps and the trace file.
#include "core/install_layout.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

#include "core/installer_core.h"

char g_szGameDir[256];

namespace layout {

bool ComposePath(PathBuffer& buffer, const char* format, ...) {
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(buffer, kPathBufferSize, format, args);
    va_end(args);
    if (n < 0 || n >= kPathBufferSize) {
        buffer[0] = '\0';
        return false;
    }
    return true;
}

bool IsPlainName(const std::string& name) {
    if (name.empty() || name == "." || name == "..") return false;
    return name.find_first_of("\\/:") == std::string::npos;
}

std::string ForPlayer(const char* path) {
    std::string text = path ? path : "";
    const size_t game = std::strlen(g_szGameDir);
    if (game > 0 && text.compare(0, game, g_szGameDir) == 0 && text.size() > game &&
        (text[game] == '\\' || text[game] == '/'))
        text.erase(0, game + 1);
#if !defined(_WIN32)
    for (char& c : text)
        if (c == '\\') c = '/';
#endif
    return text;
}

ChangeOutcome FailureOutcome(const char* path) {
    const platform::Failure& failure = platform::LastFailure();
    ChangeOutcome outcome;
    switch (failure.error) {
        case platform::FileError::InUse: outcome.problem = ChangeProblem::InUse; break;
        case platform::FileError::AccessDenied: outcome.problem = ChangeProblem::AccessDenied; break;
        case platform::FileError::DiskFull: outcome.problem = ChangeProblem::DiskFull; break;
        case platform::FileError::Busy: outcome.problem = ChangeProblem::Busy; break;
        default: outcome.problem = ChangeProblem::Failed; break;
    }
    outcome.detail = ForPlayer(path) + ": " + failure.reason;
    return outcome;
}

ChangeOutcome TooLongOutcome(const std::string& folder) {
    ChangeOutcome outcome;
    outcome.problem = ChangeProblem::Failed;
    outcome.detail = folder + ": its paths are too long for the installer";
    return outcome;
}

std::unique_ptr<platform::FileLock> LockGameFolder(ChangeOutcome& outcome) {
    std::unique_ptr<platform::FileLock> lock = platform::FileLock::Acquire(g_szGameDir, kLockWaitMilliseconds);
    if (!lock) outcome = FailureOutcome(g_szGameDir);
    return lock;
}

void SweepTemporaries(const std::string& folder, const platform::FileLock& lock) {
    for (const char* format : {"%s\\%s", "%s\\%s\\dlls", "%s\\%s\\maps"}) {
        PathBuffer path;
        if (ComposePath(path, format, g_szGameDir, folder.c_str()))
            platform::RemoveStaleTemporaries(path, lock.Acquired());
    }
}

void NoteExtraNotCopied(ChangeOutcome& outcome, const char* target) {
    if (outcome.extrasNotCopied.empty()) outcome.detail = ForPlayer(target) + ": " + platform::LastFailure().reason;
    outcome.extrasNotCopied.push_back(ForPlayer(target));
}

int32_t DateStamp(const platform::FileDate& date) { return (date.year * 100 + date.month) * 100 + date.day; }

}  // namespace layout

const char* StatusText(int status) {
    switch (status) {
        case StatusInstalled: return "installed";
        case StatusNotInstalled: return "not installed";
        case StatusNeedUpgrade: return "need upgrade";
        default: return "";
    }
}

int32_t DateStampOfFile(const char* path) {
    platform::FindData data;
    platform::FindHandle* search = platform::FindFirst(path, data);
    if (!search) return 0;
    platform::FindEnd(search);
    return layout::DateStamp(data.lastWrite);
}

void InstallerCore::StampSourceLibrary() {
    layout::PathBuffer path;
    // A path too long for the buffer leaves no source library: Install then
    // refuses to touch any mod. So does an empty game directory, whose paths
    // would start at the root of the file system.
    path[0] = '\0';
    if (g_szGameDir[0]) layout::ComposePath(path, layout::kSourceLibrary, g_szGameDir);
    m_strSourceDll = path;
    m_nSourceDate = path[0] ? DateStampOfFile(path) : 0;
    Trace("Veldrin.dll file time is: %d\n", m_nSourceDate);
}

namespace {
void AppendToLog(const char* format, va_list args) {
    va_list copy;
    va_copy(copy, args);
    char small[512];
    int n = std::vsnprintf(small, sizeof small, format, copy);
    va_end(copy);
    if (n < 0) return;
    std::string text;
    if (static_cast<size_t>(n) < sizeof small) {
        text.assign(small, static_cast<size_t>(n));
    } else {
        std::vector<char> big(static_cast<size_t>(n) + 1);
        std::vsnprintf(big.data(), big.size(), format, args);
        text.assign(big.data(), static_cast<size_t>(n));
    }
    // Opened and closed per message so that every line is handed to the
    // system before the next step runs.
    if (auto log = platform::TextFile::Open(layout::kTraceFile, "a")) {
        log->Write(text);
        log->Close();
    }
}
}  // namespace

void InstallerCore::WriteLog(const char* format, ...) {
    va_list args;
    va_start(args, format);
    AppendToLog(format, args);
    va_end(args);
}

void InstallerCore::Trace(const char* format, ...) {
    if (!m_bLog) return;
    va_list args;
    va_start(args, format);
    AppendToLog(format, args);
    va_end(args);
}

platform::FindHandle* layout::NextFile(platform::FindHandle* search, std::string& name, const char* pattern) {
    name.clear();
    platform::FindData data;
    if (!search) {
        // Enumerations want names only.
        search = platform::FindFirst(pattern, data, false);
        if (!search) return nullptr;
    } else if (!platform::FindNext(search, data)) {
        platform::FindEnd(search);
        return nullptr;
    }
    name = data.name;
    return search;
}
