#include "platform/DurableFile.h"

#include <algorithm>
#include <vector>

#include "platform/FileOpSeam.h"
#include "platform/FileSystem.h"
#include "platform/Retry.h"

namespace qel::fs {

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// Portions the copy reads and writes, each through the seam.
constexpr DWORD kChunk = 256 << 10;

bool Rewind(HANDLE file) {
    LARGE_INTEGER start{};
    return SetFilePointerEx(file, start, nullptr, FILE_BEGIN) != 0;
}

// Each portion read and written passes the seam (a disk that fails in the middle of a
// copy). The source is known by its handle only: a read names the copy it is for.
bool CopyContents(HANDLE source, HANDLE target, const std::string& targetName) {
    static const std::string kUnnamed;
    if (!Rewind(source)) return false;
    std::vector<char> buffer(kChunk);
    for (;;) {
        DWORD got = 0;
        if (!Attempted(FileOp::Read, kUnnamed, targetName, [&] {
                return ReadFile(source, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr) != 0;
            }))
            return false;
        if (got == 0) return true;
        if (!Attempted(FileOp::Write, targetName, [&] {
                DWORD written = 0;
                if (!WriteFile(target, buffer.data(), got, &written, nullptr)) return false;
                if (written == got) return true;
                SetLastError(ERROR_WRITE_FAULT);
                return false;
            }))
            return false;
    }
}

// Reads up to a chunk, as much as there is; the count read, or nothing on failure.
std::optional<DWORD> ReadChunk(HANDLE file, std::vector<char>& buffer) {
    DWORD total = 0;
    while (total < buffer.size()) {
        DWORD got = 0;
        if (!ReadFile(file, buffer.data() + total, static_cast<DWORD>(buffer.size()) - total, &got, nullptr))
            return std::nullopt;
        if (got == 0) break;
        total += got;
    }
    return total;
}

UniqueHandle OpenExisting(const std::string& name, DWORD access, DWORD share, DWORD flags, RetryBudget& budget) {
    UniqueHandle file;
    const bool opened = Retrying(budget, name, [&] {
        return Attempted(FileOp::Open, name, [&] {
            file.reset(CreateFileA(name.c_str(), access, share, nullptr, OPEN_EXISTING, flags, nullptr));
            return static_cast<bool>(file);
        });
    });
    if (!opened) {
        // An open the seam reported as failed is no open.
        const DWORD error = GetLastError();
        file.reset();
        SetLastError(error);
    }
    return file;
}

}  // namespace

UniqueHandle OpenForReading(const std::string& name, DWORD share) {
    RetryBudget budget;
    return OpenExisting(name, GENERIC_READ, share, FILE_FLAG_SEQUENTIAL_SCAN, budget);
}

bool CopyFlushed(HANDLE source, const std::string& target) {
    UniqueHandle copy;
    const bool created = Retrying(target, [&] {
        return Attempted(FileOp::Create, target, [&] {
            copy.reset(CreateFileA(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
            return static_cast<bool>(copy);
        });
    });
    if (!created) return false;
    FILETIME written;
    bool ok = CopyContents(source, copy.get(), target) &&
              GetFileTime(source, nullptr, nullptr, &written) &&
              Attempted(FileOp::Attributes, target,
                        [&] { return SetFileTime(copy.get(), nullptr, nullptr, &written) != 0; }) &&
              Attempted(FileOp::Flush, target, [&] { return FlushFileBuffers(copy.get()) != 0; });
    // A close that fails may have lost data the flush did not cover.
    ok = copy.reset() && ok;
    if (!ok) Remove(target);
    return ok;
}

bool MoveWriteThrough(const std::string& from, const std::string& to, bool replace) {
    const DWORD flags = MOVEFILE_WRITE_THROUGH | (replace ? MOVEFILE_REPLACE_EXISTING : 0);
    return Retrying(to, [&] {
        return Attempted(FileOp::Move, from, to, [&] { return MoveFileExA(from.c_str(), to.c_str(), flags) != 0; });
    });
}

UniqueHandle OpenToReplace(const std::string& name) {
    // Windows refuses to open a read-only file for writing, and to replace it; Wine running
    // as root opens it all the same.
    const DWORD attributes = GetFileAttributesA(name.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return {};
    }
    RetryBudget budget;
    return OpenExisting(name, GENERIC_READ | GENERIC_WRITE, 0, FILE_ATTRIBUTE_NORMAL, budget);
}

bool MoveAtRestart(const std::string& from, const std::string& to) {
    return Attempted(FileOp::MoveAtRestart, from, to,
                     [&] { return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_DELAY_UNTIL_REBOOT) != 0; });
}

std::optional<bool> SameContents(const std::string& a, const std::string& b) {
    UniqueHandle fa(CreateFileA(a.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN,
                                nullptr));
    UniqueHandle fb(CreateFileA(b.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN,
                                nullptr));
    if (!fa || !fb) return std::nullopt;
    LARGE_INTEGER sa{}, sb{};
    if (!GetFileSizeEx(fa.get(), &sa) || !GetFileSizeEx(fb.get(), &sb)) return std::nullopt;
    if (sa.QuadPart != sb.QuadPart) return false;
    std::vector<char> ba(kChunk), bb(kChunk);
    for (;;) {
        std::optional<DWORD> na = ReadChunk(fa.get(), ba), nb = ReadChunk(fb.get(), bb);
        if (!na || !nb) return std::nullopt;
        if (*na != *nb || !std::equal(ba.begin(), ba.begin() + *na, bb.begin())) return false;
        if (*na == 0) return true;
    }
}

}  // namespace qel::fs
