#include "platform/DurableFile.h"

#include <vector>

#include "platform/Handles.h"

namespace qel::fs {

namespace {

bool CopyContents(HANDLE source, HANDLE target, const KeepAlive& between) {
    LARGE_INTEGER start{};
    if (!SetFilePointerEx(source, start, nullptr, FILE_BEGIN)) return false;
    // Portions small enough to be written in a few tens of milliseconds on a slow disk.
    std::vector<char> buffer(256 << 10);
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(source, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr)) return false;
        if (got == 0) return true;
        DWORD written = 0;
        if (!WriteFile(target, buffer.data(), got, &written, nullptr) || written != got) return false;
        if (between) between();
    }
}

}  // namespace

bool CopyFlushed(HANDLE source, const std::string& target, const KeepAlive& between) {
    UniqueHandle copy(CreateFileA(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!copy) return false;
    FILETIME written;
    bool ok = CopyContents(source, copy.get(), between) && GetFileTime(source, nullptr, nullptr, &written) &&
              SetFileTime(copy.get(), nullptr, nullptr, &written) && FlushFileBuffers(copy.get());
    // A close that fails may have lost data the flush did not cover.
    ok = copy.reset() && ok;
    if (!ok) DeleteFileA(target.c_str());
    return ok;
}

bool MoveWriteThrough(const std::string& from, const std::string& to, bool replace) {
    DWORD flags = MOVEFILE_WRITE_THROUGH | (replace ? MOVEFILE_REPLACE_EXISTING : 0);
    return MoveFileExA(from.c_str(), to.c_str(), flags) != 0;
}

}  // namespace qel::fs
