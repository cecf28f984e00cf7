#include "dbupgrade/AdoObject.h"

#include "platform/Failure.h"

namespace qel::db {

namespace {
// CLSID of ADODB.Connection, fixed by ADO since version 2.0.
constexpr CLSID kClsidAdoConnection = {
    0x00000514, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x6D, 0x2E, 0xA4}};
}  // namespace

ComPtr<IUnknown> CreateAdoConnectionObject() {
    ComPtr<IUnknown> object;
    // ADO is an in-process server; asking for a local server too would let COM start a
    // surrogate process that hides a missing run-time from us.
    HRESULT hr = CoCreateInstance(kClsidAdoConnection, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                  object.put_void());
    if (FAILED(hr) || !object) throw Failure(kAdoCreateError);
    return object;
}

}  // namespace qel::db
