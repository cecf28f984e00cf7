#pragma once
// Wine's DLL overrides for one program name, set in the test prefix's registry for the
// lifetime of the object. Wine takes the overrides of a program another Wine program
// starts from the registry (HKCU\Software\Wine\AppDefaults\<program>\DllOverrides), not
// from the environment it is handed.
#include <string>
#include <utility>
#include <vector>

namespace qel::test {

class DllOverrides {
public:
    // Each pair: a DLL's name without ".dll" and Wine's order for it ("" disables it,
    // "native,builtin" prefers a copy found by the search, beside the program first).
    DllOverrides(const std::string& program, const std::vector<std::pair<std::string, std::string>>& overrides);
    ~DllOverrides();
    DllOverrides(const DllOverrides&) = delete;
    DllOverrides& operator=(const DllOverrides&) = delete;

private:
    std::string key_;
};

}  // namespace qel::test
