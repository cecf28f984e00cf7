#pragma once
// A readable description of a COM failure code, for failures that arrive without any
// error information of their own.
#include <windows.h>

#include <string>

namespace qel::db {

// "error 0x800401F3: <what it means>"; never empty, whatever the code.
std::string DescribeHResult(HRESULT hr);

}  // namespace qel::db
