#include "download/atomic_file.h"

#include "toolkit/exceptions.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

struct HandleCloser {
    void operator()(void* h) const {
        if (h && h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

// Only the ASCII separators count: in code page 936 a trail byte may be 0x5C ("\"), so the
// scan has to step over double-byte characters instead of searching bytes.
size_t FileNameStart(const std::string& path) {
    size_t start = 0;
    for (size_t i = 0; i < path.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(path[i]);
        if (IsDBCSLeadByte(c) && i + 1 < path.size()) {
            ++i;
            continue;
        }
        if (c == '\\' || c == '/' || (c == ':' && i == 1)) start = i + 1;
    }
    return start;
}

} // namespace

std::string SystemErrorText(unsigned long code) {
    // WinINet's codes (12000 to 12999) have their texts in wininet.dll, not in the system table.
    DWORD source = FORMAT_MESSAGE_FROM_SYSTEM;
    HMODULE module = nullptr;
    if (code >= 12000 && code < 13000 && (module = GetModuleHandleA("wininet.dll")))
        source = FORMAT_MESSAGE_FROM_HMODULE;
    char* buffer = nullptr;
    DWORD n =
        FormatMessageA(source | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER,
                       module, code, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
    std::string text;
    if (n && buffer) text.assign(buffer, n);
    if (buffer) LocalFree(buffer);
    while (!text.empty()) {
        char c = text.back();
        if (c == '\r' || c == '\n' || c == ' ' || c == '.') {
            text.pop_back();
        } else if (text.size() >= 2 && GetACP() == 936 &&
                   text.compare(text.size() - 2, 2, "\xA1\xA3") == 0) { // "。"
            text.resize(text.size() - 2);
        } else {
            break;
        }
    }
    if (text.empty()) {
        char fallback[48];
        std::snprintf(fallback, sizeof fallback, "System error %lu (0x%08lX)", code, code);
        text = fallback;
    }
    return text;
}

AtomicFileWriter::AtomicFileWriter(std::string path, bool newFile) : path_(std::move(path)) {
    size_t nameStart = FileNameStart(path_);
    if (nameStart >= path_.size()) Fail(ERROR_INVALID_NAME);
    DWORD attributes = newFile ? INVALID_FILE_ATTRIBUTES : GetFileAttributesA(path_.c_str());
    // A read-only file is refused as opening it for writing would be; Wine's rename would
    // replace it regardless.
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)))
        Fail(ERROR_ACCESS_DENIED);

    // The temporary file lives beside the target so that the final move is a rename within
    // one volume, which the file system carries out whole.
    static std::atomic<unsigned> counter{0};
    std::string folder = path_.substr(0, nameStart);
    for (int attempt = 0; attempt < 100; ++attempt) {
        char name[64];
        std::snprintf(name, sizeof name, "~cv%lx_%x.tmp", GetCurrentProcessId(),
                      counter.fetch_add(1) + 1);
        std::string candidate = folder + name;
        // Deletion is shared so that a writer given up on can have its file removed at once.
        HANDLE h = CreateFileA(candidate.c_str(), GENERIC_WRITE, FILE_SHARE_DELETE, nullptr,
                               CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            handle_ = h;
            tempPath_ = std::move(candidate);
            return;
        }
        DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) Fail(error);
    }
    Fail(ERROR_FILE_EXISTS);
}

AtomicFileWriter::~AtomicFileWriter() {
    Discard();
}

void AtomicFileWriter::Write(std::string_view bytes) {
    if (!handle_) Fail(ERROR_INVALID_HANDLE);
    while (!bytes.empty()) {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1u << 30));
        DWORD written = 0;
        if (!WriteFile(handle_, bytes.data(), chunk, &written, nullptr)) Fail(GetLastError());
        if (written == 0) Fail(ERROR_WRITE_FAULT);
        bytes.remove_prefix(written);
    }
}

void AtomicFileWriter::Commit() {
    if (!handle_) Fail(ERROR_INVALID_HANDLE);
    if (!FlushFileBuffers(handle_)) Fail(GetLastError());
    HANDLE h = handle_;
    handle_ = nullptr;
    if (!CloseHandle(h)) Fail(GetLastError());
    if (!MoveFileExA(tempPath_.c_str(), path_.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        Fail(GetLastError());
    tempPath_.clear();
}

void AtomicFileWriter::Close() {
    if (!handle_) return;
    HANDLE h = handle_;
    handle_ = nullptr;
    const bool flushed = FlushFileBuffers(h) != 0;
    const DWORD error = flushed ? 0 : GetLastError();
    if (!CloseHandle(h) && flushed) Fail(GetLastError());
    if (!flushed) Fail(error);
}

bool AtomicFileWriter::CommitNew(const std::string& target) {
    Close();
    if (tempPath_.empty()) Fail(ERROR_INVALID_HANDLE);
    if (MoveFileExA(tempPath_.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)) {
        path_ = target;
        tempPath_.clear();
        return true;
    }
    const DWORD error = GetLastError();
    if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS ||
        error == ERROR_ACCESS_DENIED) // a folder of that name
        return false;
    path_ = target;
    Fail(error);
}

void AtomicFileWriter::Discard() noexcept {
    if (handle_) {
        CloseHandle(handle_);
        handle_ = nullptr;
    }
    if (!tempPath_.empty()) {
        DeleteFileA(tempPath_.c_str());
        tempPath_.clear();
    }
}

void AtomicFileWriter::Fail(unsigned long code) {
    Discard();
    throw EFCreateError(path_, SystemErrorText(code));
}

void WriteFileAtomic(const std::string& path, std::string_view bytes) {
    AtomicFileWriter writer(path);
    writer.Write(bytes);
    writer.Commit();
}

std::string ReadFileBytes(const std::string& path) {
    UniqueHandle h(CreateFileA(path.c_str(), GENERIC_READ,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (h.get() == INVALID_HANDLE_VALUE) throw EFOpenError(path, SystemErrorText(GetLastError()));
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(h.get(), &size)) throw EFOpenError(path, SystemErrorText(GetLastError()));
    std::string bytes;
    bytes.reserve(static_cast<size_t>(size.QuadPart));
    char buffer[64 * 1024];
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(h.get(), buffer, sizeof buffer, &read, nullptr))
            throw EFOpenError(path, SystemErrorText(GetLastError()));
        if (read == 0) break;
        bytes.append(buffer, read);
    }
    return bytes;
}

bool SameFileBytes(const std::string& a, const std::string& b) {
    auto open = [](const std::string& path) {
        return UniqueHandle(CreateFileA(path.c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    };
    UniqueHandle ha = open(a), hb = open(b);
    if (ha.get() == INVALID_HANDLE_VALUE || hb.get() == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER sa{}, sb{};
    if (!GetFileSizeEx(ha.get(), &sa) || !GetFileSizeEx(hb.get(), &sb) ||
        sa.QuadPart != sb.QuadPart)
        return false;
    auto ba = std::make_unique<char[]>(64 * 1024), bb = std::make_unique<char[]>(64 * 1024);
    for (;;) {
        DWORD na = 0, nb = 0;
        if (!ReadFile(ha.get(), ba.get(), 64 * 1024, &na, nullptr) ||
            !ReadFile(hb.get(), bb.get(), na, &nb, nullptr) || na != nb)
            return false;
        if (na == 0) return true;
        if (std::memcmp(ba.get(), bb.get(), na) != 0) return false;
    }
}

bool AppendLine(const std::string& path, std::string_view line) {
    UniqueHandle h(CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (h.get() == INVALID_HANDLE_VALUE) return false;
    std::string bytes(line);
    bytes += "\r\n";
    DWORD written = 0;
    return WriteFile(h.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}
