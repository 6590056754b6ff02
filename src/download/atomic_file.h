#pragma once
// Whole-file reads and writes for the program's 8-bit paths (system code page, A functions).
// A write goes to a temporary file in the target's folder and replaces the target only once
// every byte is on disk, so a crash or a full disk never leaves a truncated file behind.
#include <string>
#include <string_view>

// The system's text for an error code (FormatMessage; WinINet's codes too), without the trailing
// line break and full stop, ready to follow "Cannot create file "%s". ".
std::string SystemErrorText(unsigned long code);

// Throws EFCreateError(path, reason); the old file stays as it was and no temporary file is left.
void WriteFileAtomic(const std::string& path, std::string_view bytes);

// Throws EFOpenError(path, reason).
std::string ReadFileBytes(const std::string& path);

// Whether two files hold the same bytes; false when either cannot be read.
bool SameFileBytes(const std::string& a, const std::string& b);

// Adds `line` and CR LF at the end of the file at `path`, creating it; false when it cannot.
bool AppendLine(const std::string& path, std::string_view line);

// The same replace-on-commit write, fed piece by piece (downloads stream through it). Until
// Commit succeeds the target is untouched; destroying an uncommitted writer deletes its
// temporary file.
class AtomicFileWriter {
public:
    // Creates the temporary file; throws EFCreateError when the target cannot be written
    // (no file name, a folder, a missing or read-only folder). With `newFile` the target is
    // only the folder's: what lies at the path now is not looked at (see CommitNew).
    explicit AtomicFileWriter(std::string path, bool newFile = false);
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    void Write(std::string_view bytes);
    // Flushes and moves the temporary file over the target.
    void Commit();
    // Drops what was written; the target stays as it was.
    void Discard() noexcept;
    // Flushes and closes the temporary file, which stays for CommitNew or Discard.
    void Close();
    // Moves the closed temporary file to `target` only if nothing is there: false, with the
    // temporary file kept, when a file or folder of that name exists (the file system decides,
    // so two writers can never take the same name).
    bool CommitNew(const std::string& target);

    const std::string& Path() const { return path_; }
    const std::string& TempPath() const { return tempPath_; }

private:
    [[noreturn]] void Fail(unsigned long code);

    std::string path_;
    std::string tempPath_;
    void* handle_ = nullptr; // HANDLE; kept opaque so portable callers need no <windows.h>
};
