#include "platform/SystemLibrary.h"

namespace qel::sys {

HMODULE SystemLibrary(const wchar_t* name) {
    return LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
}

}  // namespace qel::sys
