// The file operations every host shares, on the system calls of
// native_file.h: the temporary beside its target, the copy through it, the
// commit of a new file, the lock.
#include "platform/file.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <ctime>
#include <thread>
#include <vector>

#include "platform/native_file.h"
#include "platform/text_file.h"

namespace platform {

namespace {

constexpr size_t kWriteBuffer = 64 * 1024;

size_t NameStart(const std::string& path) {
    size_t cut = path.find_last_of("\\/");
    return cut == std::string::npos ? 0 : cut + 1;
}

// Letters that are safe in a file name on every host, whatever its case
// rules: a name made of them cannot clash with another only by case.
const char kNameLetters[] = "0123456789abcdefghijklmnopqrstuvwxyz";

// The start of every temporary name. A player's own file never starts so,
// which is what lets the sweep after a killed installer tell a temporary
// from a player's "~notes" or "~backup1".
constexpr char kTemporaryMark[] = "~veldrin-";
constexpr size_t kMarkLength = sizeof kTemporaryMark - 1;

// A temporary name for a file whose name is length characters long: the
// mark and random letters, as long as that name within the bounds file.h
// promises, so that the temporary's path is no longer than the target's
// wherever the target's name has kShortestTemporary characters or more.
std::string TemporaryName(size_t length, uint64_t& state) {
    length = std::min(std::max(length, kShortestTemporary), kLongestTemporary);
    std::string name(kTemporaryMark);
    name.resize(length);
    for (size_t i = kMarkLength; i < length; ++i) {
        // xorshift64: enough to spread names; uniqueness comes from the
        // exclusive create.
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        name[i] = kNameLetters[state % (sizeof kNameLetters - 1)];
    }
    return name;
}

// True when name is one TemporaryName makes.
bool IsTemporaryName(const std::string& name) {
    if (name.size() < kShortestTemporary || name.size() > kLongestTemporary) return false;
    if (name.compare(0, kMarkLength, kTemporaryMark) != 0) return false;
    for (size_t i = kMarkLength; i < name.size(); ++i)
        if (name[i] == '\0' || !std::strchr(kNameLetters, name[i])) return false;
    return true;
}

uint64_t Seed(const void* address) {
    static thread_local uint64_t counter = 0;
    uint64_t seed = static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    seed ^= reinterpret_cast<uintptr_t>(address) * 0x9E3779B97F4A7C15ull;
    seed ^= ++counter * 0xBF58476D1CE4E5B9ull;
    seed ^= static_cast<uint64_t>(std::time(nullptr)) << 20;
    return seed ? seed : 1;
}

std::string FolderOf(const std::string& host) {
    size_t start = NameStart(host);
    return start == 0 ? std::string() : host.substr(0, start - 1);
}

}  // namespace

namespace {

// The path of the folder within (a Windows path) with every link followed.
// Kept for the thread while a ListingScope lives, as the folder listings
// are: a copy loop asks it of every file it copies, and finding it takes a
// look at each folder on the way. A folder swapped for a link meanwhile
// only makes files reached through it count as outside.
const std::string& RealFolderOf(const char* within) {
    struct Kept {
        unsigned generation = 0;
        std::string within, real;
    };
    thread_local Kept kept;
    const unsigned generation = ListingGeneration();
    if (generation == 0 || kept.generation != generation || kept.within != within)
        kept = Kept{generation, within, native::RealFolderPath(ResolvePath(within))};
    return kept.real;
}

// True when the open file lies inside the folder within (a Windows path)
// once every link is followed; records why not.
bool InsideFolder(native::Handle file, const char* within) {
    if (native::RealPathInside(native::RealPathOf(file), RealFolderOf(within))) return true;
    // The folder as the host spells it, as every path the player reads.
    return FailInWords(FileError::NotFound, PlayerWords("it lies outside %s, reached through a link"),
                       ResolvePath(within));
}

}  // namespace

bool RefusesChange(const FileInfo& info) {
    if (info.directory) return !FailInWords(FileError::AccessDenied, PlayerWords("a folder stands at this name"));
    // Windows refuses a read-only file even to an administrator.
    if (info.readOnly && !info.link) return !FailInWords(FileError::AccessDenied, PlayerWords("the file is read-only"));
    return false;
}

bool ReadableFile(const char* path, FileInfo* info, const char* within) {
    native::Handle file = native::OpenRead(path, info);
    // The game that runs the bot may hold its library: it is there all the
    // same, and a scan that read it as missing would call the mod not
    // installed while the game plays with the bot.
    if (file == native::kNoHandle && LastFailure().error == FileError::InUse) file = native::OpenToLookAt(path, info);
    if (file == native::kNoHandle) return false;
    const bool inside = !within || InsideFolder(file, within);
    native::Close(file);
    return inside;
}

namespace {

// The host path a change of target works on: where target reaches, or,
// following links, the file the link there finally reaches. exists tells
// whether anything stands there, info what. False, with the failure
// recorded, when a link followed leads to nothing or to no file.
bool TargetOf(const char* target, LinkAtTarget links, std::string& host, bool& exists, FileInfo& info) {
    exists = false;
    host = ResolvePath(target, exists);
    if (exists && links == LinkAtTarget::Follow && !native::FollowLinks(std::string(host), host)) return false;
    exists = exists && native::InfoAt(host, info);
    // A link to a device or a pipe would have the temporary made in /dev or
    // wherever the pipe lies.
    if (exists && links == LinkAtTarget::Follow && !info.regular && !info.directory)
        return FailInWords(FileError::NotFound, PlayerWords("it is a link to something that is not a file"));
    return true;
}

}  // namespace

std::unique_ptr<NewFile> NewFile::Beside(const char* target, LinkAtTarget links) {
    if (FaultInjected(FileOp::OpenWrite, target)) return nullptr;
    if (!target || !*target) {
        Fail(FileError::NotFound, ReasonText(FileError::NotFound));
        return nullptr;
    }
    std::string host;
    bool exists = false;
    FileInfo info;
    if (!TargetOf(target, links, host, exists, info)) return nullptr;
    return Create(target, std::move(host), exists, info, 0666);
}

std::unique_ptr<NewFile> NewFile::Create(const char* target, std::string targetHost, bool exists, const FileInfo& info,
                                         uint32_t marks) {
    // A target that may not be replaced is refused before anything is
    // written.
    if (exists && RefusesChange(info)) return nullptr;
    std::unique_ptr<NewFile> file(new NewFile);
    file->target_ = target;
    file->targetHost_ = std::move(targetHost);
    file->targetExists_ = exists;
    file->targetInfo_ = info;
    file->marks_ = native::CreatedMarks(marks);
    const size_t start = NameStart(file->targetHost_);
    const std::string folder = file->targetHost_.substr(0, start);
    uint64_t state = Seed(file.get());
    // A handful of tries: a clash means someone else's file stands at the
    // name, which is never touched; another name is drawn instead.
    for (int attempt = 0; attempt < 64; ++attempt) {
        file->temp_ = folder + TemporaryName(file->targetHost_.size() - start, state);
        bool taken = false;
        file->file_ = native::CreateNew(file->temp_, marks, taken);
        // The temporary is never looked for by name: kept folder listings
        // need not hear of it.
        if (file->file_ != native::kNoHandle) return file;
        // The file may well be writable: it is its folder that refuses the
        // new file the change is written to first.
        if (!taken && LastFailure().error == FileError::AccessDenied)
            FailInWords(FileError::AccessDenied, PlayerWords("its folder does not let new files be made in it (%s)"),
                        LastFailure().reason);
        if (!taken) return nullptr;
    }
    FailInWords(FileError::Failed, PlayerWords("no free temporary name beside %s"), file->targetHost_);
    return nullptr;
}

NewFile::~NewFile() {
    if (!done_) Discard();
}

void NewFile::Discard() {
    done_ = true;
    if (file_ != native::kNoHandle) native::Close(file_);
    file_ = native::kNoHandle;
    if (!temp_.empty()) {
        // Keeps the failure that made the file go, not the delete's.
        const Failure kept = LastFailure();
        native::Unlink(temp_);
        Fail(kept);
    }
}

bool NewFile::Flush() {
    if (used_ == 0) return !failed_;
    if (!failed_ && !native::Write(file_, buffer_.get(), used_)) failed_ = true;
    used_ = 0;
    return !failed_;
}

bool NewFile::Write(const char* data, size_t length) {
    if (failed_ || done_) return false;
    if (FaultInjected(FileOp::Write, target_.c_str())) {
        failed_ = true;
        return false;
    }
    if (used_ + length > kWriteBuffer && !Flush()) return false;
    // Large pieces go straight to the file: copying them first would only
    // cost time.
    if (length >= kWriteBuffer / 2) {
        if (!native::Write(file_, data, length)) failed_ = true;
        return !failed_;
    }
    if (!buffer_) buffer_.reset(new char[kWriteBuffer]);
    std::memcpy(buffer_.get() + used_, data, length);
    used_ += length;
    return true;
}

std::string NewFile::Release() {
    done_ = true;
    if (file_ != native::kNoHandle) native::Close(file_);
    file_ = native::kNoHandle;
    return temp_;
}

bool NewFile::Commit(bool toDisk, const char* model) {
    if (done_) return false;
    bool ok = Flush();
    if (ok && FaultInjected(FileOp::Close, target_.c_str())) ok = false;
    const std::string folder = FolderOf(targetHost_);
    if (ok) {
        // The marks and attributes of what it replaces, or of the model;
        // else the marks of its folder, whose attributes a new file in it
        // takes by itself.
        FileInfo like = targetInfo_;
        std::string likeHost = targetExists_ ? targetHost_ : std::string();
        if (!targetExists_ && model) {
            likeHost = ResolvePath(model);
            if (!native::InfoAt(likeHost, like)) likeHost.clear();
        }
        if (likeHost.empty()) ok = native::FolderMarks(folder, like);
        if (ok) ok = native::TakeMarks(file_, temp_, marks_, like);
        if (ok && !likeHost.empty()) ok = native::TakeAttributes(file_, temp_, likeHost);
    }
    if (ok && toDisk) ok = !FaultInjected(FileOp::Flush, target_.c_str()) && native::Sync(file_);
    if (ok) {
        ok = native::Close(file_);
        file_ = native::kNoHandle;
    }
    if (ok && FaultInjected(FileOp::Rename, target_.c_str())) ok = false;
    if (ok) ok = native::Rename(temp_, targetHost_);
    if (!ok) {
        Discard();
        return false;
    }
    done_ = true;
    native::NoteChange(targetHost_, true);
    // The new name must last as well as the content: a crash after the
    // rename could otherwise bring the old file back.
    if (toDisk && !FaultInjected(FileOp::Flush, folder.c_str())) native::SyncFolder(folder);
    return true;
}

bool CopyOver(const char* source, const char* target, const CopyRules& rules, bool* sourceFault, CopyReport* report) {
    if (sourceFault) *sourceFault = false;
    if (report) *report = CopyReport();
    if (FaultInjected(FileOp::Copy, target)) return false;
    FileInfo from, to;
    // Within a ListingScope, a loop over one folder's files opens each from
    // that folder, which was looked at once, rather than asking afterwards
    // where each open file lies.
    native::Handle in =
        rules.within ? native::OpenReadInside(source, RealFolderOf(rules.within), &from) : native::kNoHandle;
    bool usable = in != native::kNoHandle;
    if (!usable) {
        in = native::OpenRead(source, &from);
        usable = in != native::kNoHandle;
        if (usable && rules.within) usable = InsideFolder(in, rules.within);
    }
    if (usable && rules.nonEmpty && from.size == 0)
        usable = FailInWords(FileError::Failed, PlayerWords("the file is empty"));
    // The seam's read of the source comes after it was judged: a test can
    // change the file there, as another program could.
    if (usable && FaultInjected(FileOp::Read, source)) usable = false;
    if (!usable) {
        if (in != native::kNoHandle) native::Close(in);
        if (sourceFault) *sourceFault = true;
        return false;
    }
    bool exists = false;
    std::string host = ResolvePath(target, exists);
    exists = exists && native::InfoAt(host, to);
    if (exists && to.volume == from.volume && to.index == from.index) {
        // Copying a file onto itself would empty it before reading it.
        native::Close(in);
        if (report) report->copy = to;
        return true;
    }
    if (exists && rules.replaceIf && !rules.replaceIf(from, to)) {
        native::Close(in);
        if (report) report->kept = true;
        return true;
    }
    // The copy is writable by its owner whatever its source is, so
    // that a later upgrade or Remove can replace it.
    std::unique_ptr<NewFile> out =
        NewFile::Create(target, std::move(host), exists, to, native::WritableCopyMarks(from.marks));
    bool ok = out != nullptr;
    if (ok && !native::CopyData(in, out->Handle(), from.size)) {
        ok = false;
        // What went wrong reading is the source's fault; a write that failed
        // is the target's (a full disk).
        if (sourceFault) *sourceFault = LastFailure().reason == native::kChangedWhileCopied;
    }
    ok = ok && native::CopyLastWrite(from, out->Handle());
    // What the file system kept of the time (a coarser clock than the
    // source's) is what a later look at the copy finds.
    if (ok && report) ok = native::InfoOf(out->Handle(), report->copy);
    native::Close(in);
    return ok && out->Commit(rules.toDisk);
}

std::unique_ptr<SetAside> SetAside::Move(const char* path, LinkAtTarget links) {
    std::unique_ptr<SetAside> aside(new SetAside);
    bool exists = false;
    FileInfo info;
    if (!TargetOf(path, links, aside->host_, exists, info)) return nullptr;
    if (!exists) return aside;
    // A name only a NewFile makes, taken exclusively, which the file then
    // replaces: a sweep after a crash finds it like any other temporary.
    std::unique_ptr<NewFile> temporary = NewFile::Beside(path, links);
    if (!temporary) return nullptr;
    const std::string name = temporary->Release();
    if (!native::Rename(aside->host_, name)) {
        native::Unlink(name);
        return nullptr;
    }
    native::NoteChange(aside->host_, false);
    aside->aside_ = name;
    return aside;
}

bool SetAside::Restore() {
    if (aside_.empty()) return true;
    if (!native::Rename(aside_, host_)) return false;
    native::NoteChange(host_, true);
    aside_.clear();
    return true;
}

SetAside::~SetAside() {
    if (!aside_.empty()) native::Unlink(aside_);
}

bool RemoveFile(const char* path) {
    if (FaultInjected(FileOp::Remove, path)) return false;
    if (!path || !*path) return true;
    std::string host = ResolvePath(path);
    FileInfo info;
    if (native::LinkInfoAt(host, info) && RefusesChange(info)) return false;
    if (!native::Unlink(host)) return false;
    native::NoteChange(host, false);
    return true;
}

std::unique_ptr<FileLock> FileLock::Acquire(const char* path, int waitMilliseconds) {
    const std::string host = ResolvePath(path);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMilliseconds);
    for (;;) {
        bool busy = false;
        const int64_t now = native::Now();
        native::Handle folder = native::LockFolder(host, busy);
        if (folder != native::kNoHandle) return std::unique_ptr<FileLock>(new FileLock(folder, now));
        if (!busy) return nullptr;
        if (std::chrono::steady_clock::now() >= deadline) {
            FailInWords(FileError::Busy, PlayerWords("another installer holds its lock"));
            return nullptr;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

FileLock::~FileLock() { native::UnlockFolder(folder_); }

int RemoveStaleTemporaries(const char* folder, int64_t olderThan) {
    const std::string pattern = std::string(folder) + "\\" + kTemporaryMark + "*";
    FindData data;
    std::vector<std::string> stale;
    {
        const OwnedSearch search(FindFirst(pattern.c_str(), data, false));
        if (!search) return 0;
        do {
            if (IsTemporaryName(data.name)) stale.push_back(data.name);
        } while (FindNext(search.get(), data));
    }
    int removed = 0;
    const Failure kept = LastFailure();
    for (const std::string& name : stale) {
        const std::string host = ResolvePath((std::string(folder) + "\\" + name).c_str());
        FileInfo info;
        if (!native::InfoAt(host, info) || !info.regular || info.changeTime >= olderThan) continue;
        if (native::Unlink(host)) {
            native::NoteChange(host, false);
            ++removed;
        }
    }
    // A sweep that could not delete something is no failure of the change.
    Fail(kept);
    return removed;
}

}  // namespace platform
