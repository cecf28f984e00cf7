#include "dbupgrade/EngineChoice.h"

#include <windows.h>

#include <cstring>

#include "dbupgrade/Messages.h"
#include "platform/Failure.h"
#include "platform/Handles.h"
#include "platform/Text.h"

namespace qel::db {

EngineKind ChooseEngine(const std::wstring& path) {
    // Share everything, so that looking never disturbs another opener.
    UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        DWORD error = GetLastError();
        if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION)
            throw Failure(msg::DatabaseInUse(text::Narrow(path)));
        return EngineKind::Ado;
    }
    static constexpr char kSignature[16] = {'S', 'Q', 'L', 'i', 't', 'e', ' ', 'f',
                                            'o', 'r', 'm', 'a', 't', ' ', '3', '\0'};
    char head[16];
    DWORD got = 0;
    if (!ReadFile(file.get(), head, sizeof head, &got, nullptr) || got != sizeof head) return EngineKind::Ado;
    return std::memcmp(head, kSignature, sizeof head) == 0 ? EngineKind::Embedded : EngineKind::Ado;
}

}  // namespace qel::db
