#pragma once
// Creation of the ADO connection object, the one thing every connection needs from the
// ADO run-time even when its database is opened by the embedded engine.
#include <objbase.h>

#include "platform/Handles.h"

namespace qel::db {

inline constexpr const char* kAdoCreateError =
    "Error creating object.  Please verify that the Microsoft Data Access Components 2.1 "
    "(or later) have been properly installed";

// CoCreateInstance of ADODB.Connection; throws Failure(kAdoCreateError) when it fails.
ComPtr<IUnknown> CreateAdoConnectionObject();

}  // namespace qel::db
