#pragma once
// The Jet provider's rules for the values of a row, as the fake ADO holds them: what the
// ADO engine must not count on being lenient. A value assigned to a field becomes a value
// of the column's type, as the provider converts it: rounded to the nearest of that type
// (a Double into a Single, a Decimal to the column's scale), refused when it overflows
// the type or the column's precision or is longer than the column. When the row is
// written, unassigned columns take their defaults; then Required and AllowZeroLength.
#include <windows.h>

#include <string>
#include <vector>

#include "tests/integration/FakeAdo.h"

namespace qel::test::ado {

// The provider's status error of a value it cannot take (DB_E_ERRORSOCCURRED, as ADO
// reports it), or S_OK with out holding the value of the column's type.
HRESULT ToColumnType(const Column& column, const VARIANT& in, Var& out);
inline constexpr HRESULT kMultipleStep = static_cast<HRESULT>(0x80040E21);
inline constexpr const wchar_t* kMultipleStepText =
    L"Multiple-step operation generated errors. Check each status value.";

// The row as the provider writes it into a table: an unassigned column (VT_EMPTY) takes
// its default, or nothing. Returns the provider's message when a column's rules refuse
// the row, or "".
std::wstring WrittenRow(const std::wstring& table, const std::vector<Column>& columns, std::vector<Var>& row);

}  // namespace qel::test::ado
