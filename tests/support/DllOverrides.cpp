#include "tests/support/DllOverrides.h"

#include <windows.h>

namespace qel::test {

DllOverrides::DllOverrides(const std::string& program,
                           const std::vector<std::pair<std::string, std::string>>& overrides)
    : key_("Software\\Wine\\AppDefaults\\" + program + "\\DllOverrides") {
    HKEY k;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, key_.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &k, nullptr) !=
        ERROR_SUCCESS)
        return;
    for (const auto& [dll, order] : overrides)
        RegSetValueExA(k, dll.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(order.c_str()),
                       static_cast<DWORD>(order.size() + 1));
    RegCloseKey(k);
}

DllOverrides::~DllOverrides() { RegDeleteKeyA(HKEY_CURRENT_USER, key_.c_str()); }

}  // namespace qel::test
