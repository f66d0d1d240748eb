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
#include <unordered_map>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

#if defined(__linux__)
#include <sys/sendfile.h>
#endif
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace platform {

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

FileError ErrorOf(int err) {
    switch (err) {
        case ENOENT: case ENOTDIR: return FileError::NotFound;
        case EACCES: case EPERM: case EROFS: return FileError::AccessDenied;
        case ETXTBSY: case EBUSY: return FileError::InUse;
        case ENOSPC: case EDQUOT: return FileError::DiskFull;
        default: return FileError::Failed;
    }
}

// Records errno as this thread's last failure; returns false for the caller
// to pass on.
bool Fail(int err = errno) {
    SetLastFailure(ErrorOf(err), std::strerror(err));
    return false;
}

bool FailReadOnly() {
    SetLastFailure(FileError::AccessDenied, "the file is read-only");
    return false;
}

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

std::string Folded(const std::string& name) {
    std::string folded = name;
    for (char& c : folded)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    return folded;
}

// A folder's names by their spelling with ASCII letters in lower case.
struct Listing {
    bool readable = false;
    std::unordered_map<std::string, std::vector<std::string>> byFolded;
};

// The listings kept while a ListingScope lives, by folder (a host path
// without a leading "./"), and the scope they belong to.
struct KeptListings {
    unsigned generation = 0;
    std::unordered_map<std::string, Listing> folders;
};

KeptListings& Kept() {
    static KeptListings kept;
    return kept;
}

std::string FolderKey(const std::string& dir) { return dir.compare(0, 2, "./") == 0 ? dir.substr(2) : dir; }

// The kept listings of the scope alive, emptied when it is a new one; null
// when no scope is alive.
KeptListings* KeptForScope() {
    KeptListings& kept = Kept();
    unsigned generation = ListingGeneration();
    if (kept.generation != generation) {
        kept.folders.clear();
        kept.generation = generation;
    }
    return generation ? &kept : nullptr;
}

// The kept listing of dir, read now if it is not kept yet; null when no
// scope is alive.
Listing* KeptListing(const std::string& dir) {
    KeptListings* kept = KeptForScope();
    if (!kept) return nullptr;
    auto [it, added] = kept->folders.try_emplace(FolderKey(dir));
    if (added) {
        if (DIR* d = ::opendir(dir.empty() ? "/" : dir.c_str())) {
            it->second.readable = true;
            while (dirent* e = ::readdir(d)) it->second.byFolded[Folded(e->d_name)].emplace_back(e->d_name);
            ::closedir(d);
        }
    }
    return &it->second;
}

// Keeps the kept listing of host's folder, if any, up to date with a file
// this program made or removed there.
void NoteChange(const std::string& host, bool exists) {
    KeptListings* kept = KeptForScope();
    if (!kept || host.empty()) return;
    size_t slash = host.find_last_of('/');
    std::string dir = slash == std::string::npos ? "." : host.substr(0, slash);
    auto folder = kept->folders.find(FolderKey(dir));
    if (folder == kept->folders.end()) return;
    std::string name = slash == std::string::npos ? host : host.substr(slash + 1);
    std::vector<std::string>& names = folder->second.byFolded[Folded(name)];
    auto at = std::find(names.begin(), names.end(), name);
    if (exists && at == names.end()) names.push_back(name);
    if (!exists && at != names.end()) names.erase(at);
}

// The name in folder dir that matches name ignoring case: the exact name
// when present, otherwise the first such name in byte order; empty if none.
// exactMissing tells that the exact name is already known not to exist;
// listed, when given, is set to whether dir could be read.
std::string MatchComponent(const std::string& dir, const std::string& name, bool exactMissing = false,
                           bool* listed = nullptr) {
    struct stat st;
    std::string exact = dir + "/" + name;
    if (const Listing* kept = KeptListing(dir)) {
        if (listed) *listed = kept->readable;
        auto match = kept->byFolded.find(Folded(name));
        if (match == kept->byFolded.end() || match->second.empty()) return std::string();
        const std::vector<std::string>& names = match->second;
        if (std::find(names.begin(), names.end(), name) != names.end()) return name;
        return *std::min_element(names.begin(), names.end());
    }
    if (!exactMissing && ::lstat(exact.c_str(), &st) == 0) return name;
    DIR* d = ::opendir(dir.empty() ? "/" : dir.c_str());
    if (listed) *listed = d != nullptr;
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
    // A file open for writing ("w" or "a") through stdio.
    PosixTextFile(FILE* file, std::string path, char mode) : file_(file), path_(std::move(path)), mode_(mode) {}
    // A file open for reading: read in blocks straight from the descriptor,
    // its size as it was when opened telling where it ends.
    PosixTextFile(int fd, std::string path, uint64_t size)
        : fd_(fd), size_(size), path_(std::move(path)), mode_('r') {
        block_ = size < kReadBlock ? static_cast<size_t>(size) + 1 : kReadBlock;
    }
    ~PosixTextFile() override { Close(); }

    bool ReadRow(char* buffer, int limit) override {
        if (fd_ < 0 || limit <= 0) return false;
        const size_t room = static_cast<size_t>(limit - 1);
        size_t n = 0;
        while (n < room) {
            if (pos_ == len_ && !Refill()) break;
            // The plain run up to a newline, a CR or a Ctrl-Z moves in one
            // copy; only those three need a look of their own.
            const char* from = buffer_.get() + pos_;
            const size_t avail = std::min(len_ - pos_, room - n);
            const size_t run = CopyPlainRun(buffer + n, from, avail);
            n += run;
            pos_ += run;
            if (run == avail) continue;
            const char c = from[run];
            if (c == '\x1a') {  // the text mode's end of file
                atEnd_ = true;
                break;
            }
            ++pos_;
            if (c == '\n') {
                buffer[n++] = '\n';
                break;
            }
            // CR LF reads as LF; a lone CR stays.
            if (Peek() == '\n') {
                ++pos_;
                buffer[n++] = '\n';
                break;
            }
            buffer[n++] = '\r';
        }
        buffer[n] = '\0';
        return n > 0;
    }

    bool ReadFailed() const override { return readError_; }

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
            if (failed_) return Fail();
            text += run + (nl ? 1 : 0);
        }
        return !failed_;
    }

    bool Close() override {
        if (fd_ >= 0) {
            closeResult_ = ::close(fd_) == 0;
            fd_ = -1;
            return closeResult_;
        }
        if (!file_) return closeResult_;
        bool ok = !failed_;
        if (mode_ != 'r') {
            if (std::fflush(file_) != 0) ok = Fail();
            // A rewritten file must be on disk before it replaces another.
            if (mode_ == 'w' && ::fsync(::fileno(file_)) != 0) ok = Fail();
        }
        if (std::fclose(file_) != 0) ok = Fail();
        file_ = nullptr;
        if (mode_ != 'r' && FaultInjected(FileOp::Close, path_.c_str())) ok = false;
        closeResult_ = ok;
        return ok;
    }

private:
    // Copies the plain text at the start of [text, text + n) to out: up to
    // the first newline, CR or Ctrl-Z, the bytes a text-mode read must look
    // at. Returns its length. out has room for n bytes, which may all be
    // written. Sixteen bytes a step where the processor compares them at once.
    static size_t CopyPlainRun(char* out, const char* text, size_t n) {
        size_t i = 0;
#if defined(__SSE2__)
        const __m128i nl = _mm_set1_epi8('\n'), cr = _mm_set1_epi8('\r'), eof = _mm_set1_epi8(0x1a);
        for (; i + 16 <= n; i += 16) {
            __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), block);
            __m128i hits = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(block, nl), _mm_cmpeq_epi8(block, cr)),
                                        _mm_cmpeq_epi8(block, eof));
            if (int mask = _mm_movemask_epi8(hits)) return i + static_cast<size_t>(__builtin_ctz(static_cast<unsigned>(mask)));
        }
#endif
        for (; i < n && text[i] != '\n' && text[i] != '\r' && text[i] != '\x1a'; ++i) out[i] = text[i];
        return i;
    }

    // Reads the next block of the file; false at its end (or a Ctrl-Z met).
    bool Refill() {
        if (atEnd_) return false;
        if (!buffer_) buffer_.reset(new char[block_]);
        pos_ = 0;
        ssize_t got;
        if (FaultInjected(FileOp::Read, path_.c_str())) {
            got = -1;
        } else {
            do {
                got = ::read(fd_, buffer_.get(), block_);
            } while (got < 0 && errno == EINTR);
        }
        if (got < 0) readError_ = true;
        len_ = got > 0 ? static_cast<size_t>(got) : 0;
        done_ += len_;
        // The block is one byte larger than a small file: a short read that
        // has brought the whole file as it was when opened is its end, and
        // needs no further read to tell.
        if (got <= 0 || (len_ < block_ && done_ >= size_)) atEnd_ = true;
        return len_ > 0;
    }

    // The next byte without taking it, or EOF.
    int Peek() {
        if (pos_ == len_ && !Refill()) return EOF;
        return static_cast<unsigned char>(buffer_[pos_]);
    }

    static constexpr size_t kReadBlock = 64 * 1024;


    FILE* file_ = nullptr;
    int fd_ = -1;
    bool readError_ = false;
    uint64_t size_ = 0, done_ = 0;  // read mode: the size when opened, the bytes read
    std::string path_;
    char mode_;
    std::unique_ptr<char[]> buffer_;  // read mode: the block being read
    size_t block_ = kReadBlock;
    size_t pos_ = 0, len_ = 0;
    bool atEnd_ = false;
    bool failed_ = false;
    bool closeResult_ = true;
};

}  // namespace

namespace {

// A Windows path taken apart: where it starts on the host (the root, the
// working directory or a Wine drive) and its components.
struct SplitPath {
    std::string base;  // "" for the root, "." for the working directory
    std::vector<std::string> parts;

    // The host path of the first n components as spelled.
    std::string Prefix(size_t n) const {
        std::string out = base;
        for (size_t i = 0; i < n; ++i) out += "/" + parts[i];
        return out;
    }
};

SplitPath Split(const std::string& p) {
    SplitPath split;
    size_t i = 0;
    if (p.size() >= 2 && std::isalpha(static_cast<unsigned char>(p[0])) && p[1] == ':') {
        split.base = WinePrefix() + "/dosdevices/" +
                     static_cast<char>(std::tolower(static_cast<unsigned char>(p[0]))) + ":";
        i = 2;
    } else if (!p.empty() && IsSeparator(p[0])) {
        split.base = "";  // the root: components are appended as "/name"
    } else {
        split.base = ".";
    }
    while (i < p.size()) {
        while (i < p.size() && IsSeparator(p[i])) ++i;
        size_t start = i;
        while (i < p.size() && !IsSeparator(p[i])) ++i;
        if (i > start) split.parts.emplace_back(p, start, i - start);
    }
    return split;
}

// The host spelling of a composed host path: without the "./" of a relative
// one, "/" for the bare root.
std::string HostForm(const SplitPath& split, std::string path) {
    if (split.base == "." && !split.parts.empty()) return path.substr(2);
    return path.empty() ? "/" : path;
}

// The host path as spelled, without looking at the disk: the components of
// Split(p) after its base, in one pass. Nearly every path is spelled as on
// disk, so this is the one most calls need.
std::string SpelledPath(const std::string& p) {
    std::string out;
    out.reserve(p.size() + 2);
    size_t i = 0;
    bool relative = false;
    if (p.size() >= 2 && std::isalpha(static_cast<unsigned char>(p[0])) && p[1] == ':') {
        out = WinePrefix() + "/dosdevices/" + static_cast<char>(std::tolower(static_cast<unsigned char>(p[0]))) + ":";
        i = 2;
    } else {
        relative = p.empty() || !IsSeparator(p[0]);
    }
    bool any = false;
    while (i < p.size()) {
        while (i < p.size() && IsSeparator(p[i])) ++i;
        if (i == p.size()) break;
        // A relative path is spelled without a leading "./".
        if (any || !relative) out += '/';
        any = true;
        size_t start = i;
        while (i < p.size() && !IsSeparator(p[i])) ++i;
        out.append(p, start, i - start);
    }
    if (!any) return relative ? "." : (out.empty() ? "/" : out);
    return out;
}

// Matches the components of split that are not spelled as on disk. Called
// once the path as spelled is known not to exist. found, when given, is set
// to whether the whole path matched something that exists.
std::string MatchFromDisk(const SplitPath& split, bool* found = nullptr) {
    if (found) *found = false;
    // Exact spellings win at every level, so the longest prefix that exists
    // as spelled is where the forward walk would stand anyway; it is found
    // from the end, since mostly only the file name differs in case. The
    // component after it is known not to exist as spelled.
    size_t known = split.parts.size();
    const std::string& last = split.parts.back();
    if (known >= 2 && last != "." && last != "..") {
        // Listing the parent tells at once whether it exists as spelled.
        std::string parent = split.Prefix(known - 1);
        bool listed = false;
        std::string match = MatchComponent(parent, last, true, &listed);
        if (listed) {
            if (found) *found = !match.empty();
            return HostForm(split, parent + "/" + (match.empty() ? last : match));
        }
    }
    struct stat st;
    while (known > 0) {
        --known;
        if (known == 0 || ::lstat(split.Prefix(known).c_str(), &st) == 0) break;
    }
    std::string current = split.Prefix(known);
    bool exists = true;
    for (size_t i = known; i < split.parts.size(); ++i) {
        const std::string& part = split.parts[i];
        if (exists && part != "." && part != "..") {
            std::string match = MatchComponent(current, part, i == known);
            if (!match.empty()) {
                current += "/" + match;
                continue;
            }
            exists = false;
        }
        current += "/" + part;
    }
    if (found) *found = exists && split.parts.back() != "." && split.parts.back() != "..";
    return HostForm(split, current);
}

}  // namespace

namespace {

// Opens the file a Windows path reaches for reading; -1 when it cannot.
int OpenForReading(const char* path) {
    if (!path || !*path) return -1;
    if (ListingGeneration() != 0) return ::open(ResolvePath(path).c_str(), O_RDONLY | O_CLOEXEC);
    // Almost every path is spelled as on disk: opening it settles that at
    // once, and only a missing name is looked for in other casings.
    int fd = ::open(SpelledPath(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 && (errno == ENOENT || errno == ENOTDIR)) {
        SplitPath split = Split(path);
        if (!split.parts.empty()) fd = ::open(MatchFromDisk(split).c_str(), O_RDONLY | O_CLOEXEC);
    }
    return fd;
}

}  // namespace

namespace {

// ResolvePath, telling through found whether the path reached something
// that exists (false when that is not known).
std::string Resolve(const char* path, bool* found) {
    if (found) *found = false;
    std::string p = path ? path : "";
    // An empty path names no file on Windows; as "." it would name the
    // working directory.
    if (p.empty()) return p;
    std::string direct = SpelledPath(p);
    // With folder listings kept, the parent's listing answers without a
    // look at the disk; otherwise, since almost every path is spelled as on
    // disk, one stat settles it.
    if (ListingGeneration() == 0) {
        struct stat st;
        if (::lstat(direct.c_str(), &st) == 0) {
            if (found) *found = true;
            return direct;
        }
    }
    SplitPath split = Split(p);
    if (split.parts.empty()) return direct;
    return MatchFromDisk(split, found);
}

}  // namespace

std::string ResolvePath(const char* path) { return Resolve(path, nullptr); }

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
    if (!path || !*path) return nullptr;
    if (m == 'r') {
        int fd = OpenForReading(path);
        if (fd < 0) {
            Fail();
            return nullptr;
        }
        struct stat st;
        if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
            ::close(fd);
            return nullptr;
        }
        return std::make_unique<PosixTextFile>(fd, path, static_cast<uint64_t>(st.st_size));
    }
    std::string host = ResolvePath(path);
    struct stat st;
    bool exists = Stat(host, st);
    if (exists && S_ISDIR(st.st_mode)) {
        Fail(EISDIR);
        return nullptr;
    }
    // Windows refuses to write to a read-only file, even for an administrator.
    if (exists && IsReadOnly(st)) {
        FailReadOnly();
        return nullptr;
    }
    FILE* f = std::fopen(host.c_str(), m == 'w' ? "wb" : "ab");
    if (!f) {
        Fail();
        return nullptr;
    }
    NoteChange(host, true);
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
        // listing the whole folder; spelled as on disk, one stat does.
        std::string host = SpelledPath(p);
        struct stat st;
        if (::stat(host.c_str(), &st) != 0) {
            if (errno != ENOENT && errno != ENOTDIR) return nullptr;
            SplitPath split = Split(p);
            if (split.parts.empty()) return nullptr;
            host = MatchFromDisk(split);
            if (::stat(host.c_str(), &st) != 0) return nullptr;
        }
        size_t slash = host.find_last_of('/');
        search->dir = slash == std::string::npos ? "." : host.substr(0, slash);
        search->names.push_back(slash == std::string::npos ? host : host.substr(slash + 1));
        search->next = 1;
        data.name = search->names.back();
        data.lastWrite = DateOf(st);
        return search.release();
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
    int in = OpenForReading(source);
    if (in < 0) return Fail();
    struct stat st;
    if (::fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(in);
        return Fail(ENOENT);
    }
    bool exists = false;
    std::string to = Resolve(target, &exists);
    // A new file needs no look at what was there; only an existing one is
    // checked before it is overwritten.
    int out = exists ? -1 : ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, st.st_mode & 0777);
    if (out < 0 && (exists || errno == EEXIST)) {
        struct stat old;
        if (Stat(to, old) && (IsReadOnly(old) || S_ISDIR(old.st_mode))) {
            ::close(in);
            return S_ISDIR(old.st_mode) ? Fail(EISDIR) : FailReadOnly();
        }
        out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, st.st_mode & 0777);
    }
    if (out < 0) {
        int err = errno;
        ::close(in);
        return Fail(err);
    }
    NoteChange(to, true);
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
            if (n < 0) ok = Fail();
            if (n <= 0) break;
            for (ssize_t done = 0; done < n;) {
                ssize_t w = ::write(out, buf + done, static_cast<size_t>(n - done));
                if (w <= 0) {
                    ok = Fail(w < 0 ? errno : ENOSPC);
                    break;
                }
                done += w;
            }
            if (!ok) break;
        }
    }
    struct timespec times[2] = {st.st_atim, st.st_mtim};
    if (::futimens(out, times) != 0) ok = Fail();
    if (::close(out) != 0) ok = Fail();
    ::close(in);
    return ok;
}

bool RemoveFile(const char* path) {
    if (FaultInjected(FileOp::Remove, path)) return false;
    std::string host = ResolvePath(path);
    struct stat st;
    if (::lstat(host.c_str(), &st) != 0) return errno == ENOENT || errno == ENOTDIR || Fail();
    if (S_ISDIR(st.st_mode)) return Fail(EISDIR);
    if (IsReadOnly(st)) return FailReadOnly();
    if (::unlink(host.c_str()) != 0) return Fail();
    NoteChange(host, false);
    return true;
}

bool RenameOver(const char* from, const char* target) {
    if (FaultInjected(FileOp::Rename, target)) return false;
    std::string source = ResolvePath(from);
    std::string to = ResolvePath(target);
    struct stat st;
    if (Stat(to, st)) {
        if (S_ISDIR(st.st_mode)) return Fail(EISDIR);
        if (IsReadOnly(st)) return FailReadOnly();
        if (::chmod(source.c_str(), st.st_mode & 07777) != 0) return Fail();
    }
    if (::rename(source.c_str(), to.c_str()) != 0) return Fail();
    NoteChange(source, false);
    NoteChange(to, true);
    return true;
}

std::string ReasonText(FileError error) {
    switch (error) {
        case FileError::None: return std::string();
        case FileError::NotFound: return std::strerror(ENOENT);
        case FileError::AccessDenied: return std::strerror(EACCES);
        case FileError::InUse: return std::strerror(ETXTBSY);
        case FileError::DiskFull: return std::strerror(ENOSPC);
        case FileError::Busy: return std::strerror(EWOULDBLOCK);
        case FileError::Failed: break;
    }
    return std::strerror(EIO);
}

}  // namespace platform
