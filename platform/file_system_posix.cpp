// The file layer on a POSIX host, giving the installer the Windows behaviour
// it was written for: case-blind names, both separators, drive letters through
// the Wine prefix, and the C runtime's text mode.
#include "platform/file_system.h"
#include "platform/wildcard.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

#if defined(__linux__)
#include <sys/sendfile.h>
#endif

namespace platform {

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

std::string WinePrefix() {
    const char* prefix = std::getenv("WINEPREFIX");
    if (prefix && *prefix) return prefix;
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "") + "/.wine";
}

bool Stat(const std::string& path, struct stat& st) { return ::stat(path.c_str(), &st) == 0; }

// A file or folder without any write permission, which Windows would call
// read-only. Root may write anyway, so the bits are read rather than access().
bool IsReadOnly(const struct stat& st) { return (st.st_mode & 0222) == 0; }

// The name in folder dir that matches name ignoring case: the exact name
// when present, otherwise the first such name in byte order; empty if none.
std::string MatchComponent(const std::string& dir, const std::string& name) {
    struct stat st;
    std::string exact = dir + "/" + name;
    if (::lstat(exact.c_str(), &st) == 0) return name;
    DIR* d = ::opendir(dir.empty() ? "/" : dir.c_str());
    if (!d) return std::string();
    std::string best;
    while (dirent* e = ::readdir(d)) {
        if (CompareIgnoringCase(e->d_name, name.c_str()) != 0) continue;
        if (best.empty() || std::strcmp(e->d_name, best.c_str()) < 0) best = e->d_name;
    }
    ::closedir(d);
    return best;
}

FileDate DateOf(const struct stat& st) {
    std::tm tm{};
    time_t t = st.st_mtime;
    FileDate date;
    if (::gmtime_r(&t, &tm)) {
        date.year = tm.tm_year + 1900;
        date.month = tm.tm_mon + 1;
        date.day = tm.tm_mday;
    }
    return date;
}

class PosixTextFile final : public TextFile {
public:
    PosixTextFile(FILE* file, std::string path, char mode) : file_(file), path_(std::move(path)), mode_(mode) {}
    ~PosixTextFile() override { Close(); }

    bool ReadRow(char* buffer, int limit) override {
        if (!file_ || limit <= 0) return false;
        int n = 0;
        while (n < limit - 1) {
            int c = Get();
            if (c == EOF) break;
            buffer[n++] = static_cast<char>(c);
            if (c == '\n') break;
        }
        buffer[n] = '\0';
        return n > 0;
    }

    bool Write(const char* text, size_t length) override {
        if (!file_ || failed_) return false;
        if (FaultInjected(FileOp::Write, path_.c_str())) {
            failed_ = true;
            return false;
        }
        const char* end = text + length;
        while (text < end) {
            const char* nl = static_cast<const char*>(std::memchr(text, '\n', static_cast<size_t>(end - text)));
            size_t run = static_cast<size_t>((nl ? nl : end) - text);
            if (run && std::fwrite(text, 1, run, file_) != run) failed_ = true;
            if (nl && std::fwrite("\r\n", 1, 2, file_) != 2) failed_ = true;
            text += run + (nl ? 1 : 0);
        }
        return !failed_;
    }

    bool Close() override {
        if (!file_) return closeResult_;
        bool ok = !failed_;
        if (mode_ != 'r') {
            if (std::fflush(file_) != 0) ok = false;
            // A rewritten file must be on disk before it replaces another.
            if (mode_ == 'w' && ::fsync(::fileno(file_)) != 0) ok = false;
        }
        if (std::fclose(file_) != 0) ok = false;
        file_ = nullptr;
        if (mode_ != 'r' && FaultInjected(FileOp::Close, path_.c_str())) ok = false;
        closeResult_ = ok;
        return ok;
    }

private:
    // One character as the text mode delivers it.
    int Get() {
        if (atEnd_) return EOF;
        int c = getc_unlocked(file_);
        if (c == EOF || c == 0x1A) {
            atEnd_ = true;
            return EOF;
        }
        if (c == '\r') {
            int next = getc_unlocked(file_);
            if (next == '\n') return '\n';
            if (next != EOF) std::ungetc(next, file_);
        }
        return c;
    }

    FILE* file_;
    std::string path_;
    char mode_;
    bool atEnd_ = false;
    bool failed_ = false;
    bool closeResult_ = true;
};

}  // namespace

std::string ResolvePath(const char* path) {
    std::string p = path ? path : "";
    // An empty path names no file on Windows; as "." it would name the
    // working directory.
    if (p.empty()) return p;
    std::string base;
    size_t i = 0;
    if (p.size() >= 2 && std::isalpha(static_cast<unsigned char>(p[0])) && p[1] == ':') {
        base = WinePrefix() + "/dosdevices/" + static_cast<char>(std::tolower(static_cast<unsigned char>(p[0]))) + ":";
        i = 2;
    } else if (!p.empty() && IsSeparator(p[0])) {
        base = "";  // the root: components are appended as "/name"
    } else {
        base = ".";
    }

    std::vector<std::string> parts;
    while (i < p.size()) {
        while (i < p.size() && IsSeparator(p[i])) ++i;
        size_t start = i;
        while (i < p.size() && !IsSeparator(p[i])) ++i;
        if (i > start) parts.emplace_back(p, start, i - start);
    }

    auto join = [&](const std::string& dir, const std::string& name) { return dir + "/" + name; };
    std::string direct = base;
    for (const std::string& part : parts) direct = join(direct, part);
    struct stat st;
    // Almost every path is spelled as on disk; one stat settles it.
    if (parts.empty() || ::lstat(direct.c_str(), &st) == 0) {
        if (base == "." && !parts.empty()) return direct.substr(2);
        return direct.empty() ? "/" : direct;
    }

    std::string current = base;
    bool exists = true;
    for (const std::string& part : parts) {
        if (exists && part != "." && part != "..") {
            std::string match = MatchComponent(current, part);
            if (!match.empty()) {
                current = join(current, match);
                continue;
            }
            exists = false;
        }
        current = join(current, part);
    }
    if (base == ".") return current.substr(2);
    return current;
}

bool PathExists(const char* path) {
    struct stat st;
    return Stat(ResolvePath(path), st);
}

bool IsDirectory(const char* path) {
    struct stat st;
    return Stat(ResolvePath(path), st) && S_ISDIR(st.st_mode);
}

std::unique_ptr<TextFile> TextFile::Open(const char* path, const char* mode) {
    char m = mode ? mode[0] : '\0';
    if (m != 'r' && m != 'w' && m != 'a') return nullptr;
    if (FaultInjected(m == 'r' ? FileOp::OpenRead : FileOp::OpenWrite, path)) return nullptr;
    std::string host = ResolvePath(path);
    struct stat st;
    bool exists = Stat(host, st);
    if (exists && S_ISDIR(st.st_mode)) return nullptr;
    // Windows refuses to write to a read-only file, even for an administrator.
    if (exists && m != 'r' && IsReadOnly(st)) return nullptr;
    FILE* f = std::fopen(host.c_str(), m == 'r' ? "rb" : (m == 'w' ? "wb" : "ab"));
    if (!f) return nullptr;
    return std::unique_ptr<TextFile>(new PosixTextFile(f, path, m));
}

struct FindHandle {
    std::string dir;
    std::vector<std::string> names;
    size_t next = 0;
};

namespace {
bool Fill(FindHandle* search, FindData& data) {
    while (search->next < search->names.size()) {
        const std::string& name = search->names[search->next++];
        struct stat st;
        if (!Stat(search->dir + "/" + name, st)) continue;
        data.name = name;
        data.lastWrite = DateOf(st);
        return true;
    }
    return false;
}
}  // namespace

FindHandle* FindFirst(const char* pattern, FindData& data) {
    std::string p = pattern ? pattern : "";
    size_t cut = p.find_last_of("\\/");
    std::string dirPart = cut == std::string::npos ? std::string() : p.substr(0, cut + 1);
    std::string namePattern = cut == std::string::npos ? p : p.substr(cut + 1);
    if (namePattern.empty()) return nullptr;

    auto search = std::make_unique<FindHandle>();
    if (namePattern.find_first_of("*?") == std::string::npos) {
        // A plain name: resolving it finds the one match, if any, without
        // listing the whole folder.
        std::string host = ResolvePath(p.c_str());
        struct stat st;
        if (!Stat(host, st)) return nullptr;
        size_t slash = host.find_last_of('/');
        search->dir = slash == std::string::npos ? "." : host.substr(0, slash);
        search->names.push_back(slash == std::string::npos ? host : host.substr(slash + 1));
    } else {
        search->dir = dirPart.empty() ? "." : ResolvePath(dirPart.c_str());
        DIR* d = ::opendir(search->dir.c_str());
        if (!d) return nullptr;
        while (dirent* e = ::readdir(d)) {
            if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0) continue;
            if (WildcardMatch(namePattern.c_str(), e->d_name)) search->names.emplace_back(e->d_name);
        }
        ::closedir(d);
        std::sort(search->names.begin(), search->names.end(), SearchOrderLess);
    }
    if (!Fill(search.get(), data)) return nullptr;
    return search.release();
}

bool FindNext(FindHandle* search, FindData& data) { return search && Fill(search, data); }

void FindEnd(FindHandle* search) { delete search; }

bool CopyOver(const char* source, const char* target) {
    if (FaultInjected(FileOp::Copy, target)) return false;
    std::string from = ResolvePath(source);
    std::string to = ResolvePath(target);
    int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return false;
    struct stat st;
    if (::fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(in);
        return false;
    }
    struct stat old;
    if (Stat(to, old) && (IsReadOnly(old) || S_ISDIR(old.st_mode))) {
        ::close(in);
        return false;
    }
    int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, st.st_mode & 0777);
    if (out < 0) {
        ::close(in);
        return false;
    }
    bool ok = true;
    off_t left = st.st_size;
#if defined(__linux__)
    // The kernel copies without bringing the data through user space.
    while (left > 0) {
        ssize_t n = ::sendfile(out, in, nullptr, static_cast<size_t>(std::min<off_t>(left, 1 << 30)));
        if (n <= 0) break;
        left -= n;
    }
#endif
    if (left > 0) {
        // Fallback, and the path for a file that grew meanwhile.
        char buf[1 << 16];
        for (;;) {
            ssize_t n = ::read(in, buf, sizeof buf);
            if (n < 0) ok = false;
            if (n <= 0) break;
            for (ssize_t done = 0; done < n;) {
                ssize_t w = ::write(out, buf + done, static_cast<size_t>(n - done));
                if (w <= 0) {
                    ok = false;
                    break;
                }
                done += w;
            }
            if (!ok) break;
        }
    }
    struct timespec times[2] = {st.st_atim, st.st_mtim};
    if (::futimens(out, times) != 0) ok = false;
    if (::close(out) != 0) ok = false;
    ::close(in);
    return ok;
}

bool RemoveFile(const char* path) {
    if (FaultInjected(FileOp::Remove, path)) return false;
    std::string host = ResolvePath(path);
    struct stat st;
    if (::lstat(host.c_str(), &st) != 0) return errno == ENOENT || errno == ENOTDIR;
    if (S_ISDIR(st.st_mode) || IsReadOnly(st)) return false;
    return ::unlink(host.c_str()) == 0;
}

bool RenameOver(const char* from, const char* target) {
    if (FaultInjected(FileOp::Rename, target)) return false;
    std::string source = ResolvePath(from);
    std::string to = ResolvePath(target);
    struct stat st;
    if (Stat(to, st)) {
        if (S_ISDIR(st.st_mode) || IsReadOnly(st)) return false;
        if (::chmod(source.c_str(), st.st_mode & 07777) != 0) return false;
    }
    return ::rename(source.c_str(), to.c_str()) == 0;
}

}  // namespace platform
