#include "platform/DurableFile.h"

#include <vector>

#include "platform/Handles.h"

namespace qel::fs {

namespace {

bool CopyContents(HANDLE source, HANDLE target) {
    LARGE_INTEGER start{};
    if (!SetFilePointerEx(source, start, nullptr, FILE_BEGIN)) return false;
    std::vector<char> buffer(1 << 20);
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(source, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr)) return false;
        if (got == 0) return true;
        DWORD written = 0;
        if (!WriteFile(target, buffer.data(), got, &written, nullptr) || written != got) return false;
    }
}

}  // namespace

bool CopyFlushed(HANDLE source, const std::string& target) {
    UniqueHandle copy(CreateFileA(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!copy) return false;
    FILETIME written;
    bool ok = CopyContents(source, copy.get()) && GetFileTime(source, nullptr, nullptr, &written) &&
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
