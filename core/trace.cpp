// The trace file, Veldrin.log in the working directory.
#include "core/trace.h"

#include <cstdarg>
#include <cstdio>
#include <string>
#include <vector>

#include "core/paths.h"
#include "platform/file_system.h"

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
    // A message that cannot be written is lost, as the header says: the
    // trace is where failures would be told.
    if (auto log = platform::TextFile::Open(layout::kTraceFile, "a"))
        if (!log->Write(text) || !log->Close()) return;
}
}  // namespace

void InstallerCore::WriteLog(const char* format, ...) {
    va_list args;
    va_start(args, format);
    AppendToLog(format, args);
    va_end(args);
}

void Trace(const InstallerCore& core, const char* format, ...) {
    if (!core.m_bLog) return;
    va_list args;
    va_start(args, format);
    AppendToLog(format, args);
    va_end(args);
}
