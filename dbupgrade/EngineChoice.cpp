#include "dbupgrade/EngineChoice.h"

#include <windows.h>

#include <cstring>

#include "dbupgrade/Messages.h"
#include "platform/Failure.h"
#include "platform/FileOpSeam.h"
#include "platform/Handles.h"
#include "platform/Text.h"

namespace qel::db {

EngineKind ChooseEngine(const std::wstring& path) {
    // Share everything, so that looking never disturbs another opener.
    const std::string name = text::Narrow(path);
    UniqueHandle file;
    const bool opened = fs::Attempted(fs::FileOp::Open, name, [&] {
        file.reset(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        return static_cast<bool>(file);
    });
    if (!opened) {
        DWORD error = GetLastError();
        if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION)
            throw Failure(msg::DatabaseInUse(name));
        return EngineKind::Ado;
    }
    static constexpr char kSignature[16] = {'S', 'Q', 'L', 'i', 't', 'e', ' ', 'f',
                                            'o', 'r', 'm', 'a', 't', ' ', '3', '\0'};
    char head[16];
    DWORD got = 0;
    const bool read = fs::Attempted(fs::FileOp::Read, name,
                                    [&] { return ReadFile(file.get(), head, sizeof head, &got, nullptr) != 0; });
    if (!read || got != sizeof head) return EngineKind::Ado;
    return std::memcmp(head, kSignature, sizeof head) == 0 ? EngineKind::Embedded : EngineKind::Ado;
}

}  // namespace qel::db
