#include "support/fault_harness.h"

#if !defined(_WIN32)
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#endif

#include <algorithm>
#include <chrono>
#include <set>
#include <sstream>
#include <thread>
#include <vector>

#include "core/liblist.h"
#include "platform/file_system.h"
#include "support/files.h"

namespace test {

// Every file and folder under dir, except the subtree skip.
Snapshot Take(const fs::path& dir, const fs::path& skip) {
    Snapshot shot;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(dir, ec); it != fs::recursive_directory_iterator();
         it.increment(ec)) {
        if (!skip.empty() && it->path() == skip) {
            it.disable_recursion_pending();
            continue;
        }
        FileState s;
        const fs::file_status status = it->symlink_status(ec);
        s.perms = static_cast<unsigned>(status.permissions()) | (static_cast<unsigned>(status.type()) << 16);
        if (status.type() == fs::file_type::regular) {
            s.size = fs::file_size(it->path(), ec);
            s.modified = static_cast<int64_t>(fs::last_write_time(it->path(), ec).time_since_epoch().count());
            if (s.size < 4096) s.bytes = ReadBytes(it->path());
        }
        shot[it->path().string()] = s;
    }
    return shot;
}

// The path a gamedll line loads, relative to the mod folder: the quoted value
// (or the rest of the line), as the engine reads it. Empty when the row is no
// gamedll row.
std::string GamedllValue(const std::string& row) {
    size_t start = row.find_first_not_of(' ');
    if (start == std::string::npos || row.compare(start, 8, "gamedll ") != 0) return "";
    size_t begin = row.find_first_not_of(' ', start + 8);
    if (begin == std::string::npos) return "";
    if (row[begin] == '"') ++begin;
    size_t end = row.find_first_of("\"\n", begin);
    return row.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
}

// True when the mod's liblist.gam has a gamedll line and every gamedll line
// names a library that is there.
bool Loadable(const fs::path& mod) {
    // Row by row, as the status check reads it: the file may be huge.
    std::string libList = (mod / "liblist.gam").string();
    auto file = platform::TextFile::Open(libList.c_str(), "r");
    if (!file) return false;
    bool any = false;
    char row[liblist::kRowSize];
    std::set<std::string> present;  // a file of millions of lines names few libraries
    while (file->ReadRow(row, liblist::kRowSize)) {
        if (!liblist::IsGamedllRow(row)) continue;
        any = true;
        std::string path = mod.string() + "\\" + GamedllValue(row);
        if (present.count(path)) continue;
        platform::FileInfo info;
        if (!platform::ReadableFile(path.c_str(), &info) || info.size == 0) return false;
        present.insert(path);
    }
    return any;
}

// A change's outcome in one line, for the table and for a child to hand to
// its parent.
std::string Describe(const ChangeOutcome& o) {
    std::string text = std::to_string(static_cast<int>(o.problem)) + "|" + o.detail;
    for (const std::string& extra : o.extrasNotCopied) text += "|" + extra;
    return text;
}

ChangeOutcome Parse(const std::string& text) {
    ChangeOutcome o;
    std::vector<std::string> parts;
    std::stringstream in(text);
    for (std::string part; std::getline(in, part, '|');) parts.push_back(part);
    if (parts.empty()) return o;
    o.problem = static_cast<ChangeProblem>(std::stoi(parts[0]));
    if (parts.size() > 1) o.detail = parts[1];
    o.extrasNotCopied.assign(parts.begin() + std::min<size_t>(2, parts.size()), parts.end());
    return o;
}

#if !defined(_WIN32)
namespace {

// The peak memory of a child that does nothing: what a case starts from,
// the test process's own pages included.
long BaselineKb() {
    pid_t child = fork();
    if (child == 0) _exit(0);
    int status = 0;
    struct rusage usage {};
    wait4(child, &status, 0, &usage);
    return usage.ru_maxrss;
}

}  // namespace

ChildRun RunInChild(const std::function<void(int reportFd)>& work, int timeLimitSeconds) {
    ChildRun run;
    const long baselineKb = BaselineKb();
    int report[2];
    if (::pipe(report) != 0) return run;
    fflush(nullptr);
    auto start = std::chrono::steady_clock::now();
    pid_t child = fork();
    if (child == 0) {
        ::close(report[0]);
        work(report[1]);
        _exit(0);
    }
    ::close(report[1]);
    int status = 0;
    struct rusage usage {};
    pid_t done = 0;
    while (child > 0 && (done = wait4(child, &status, WNOHANG, &usage)) == 0) {
        if (std::chrono::steady_clock::now() - start > std::chrono::seconds(timeLimitSeconds)) {
            kill(child, SIGKILL);
            wait4(child, &status, 0, &usage);
            run.timedOut = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    std::string reported;
    char buffer[4096];
    for (ssize_t n; (n = ::read(report[0], buffer, sizeof buffer)) > 0;)
        reported.append(buffer, static_cast<size_t>(n));
    ::close(report[0]);
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.peakKb = usage.ru_maxrss - baselineKb;
    run.endedNormally = child > 0 && !run.timedOut && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (!reported.empty()) {
        reported.pop_back();
        const size_t last = reported.rfind('\n');
        run.lastReport = reported.substr(last == std::string::npos ? 0 : last + 1);
    }
    return run;
}
#endif

}  // namespace test
