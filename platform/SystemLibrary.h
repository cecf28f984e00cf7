#pragma once
// DLLs of the system folder that the program uses now and then (the themes, the network
// connections) and that are not KnownDLLs: they are loaded when first needed, from the
// system folder only, and never imported, so that no copy of them beside the program or
// in the current folder is ever taken.
#include <windows.h>

namespace qel::sys {

// The module of that name in the system folder (its own dependencies looked for there
// too), null when it cannot be loaded. Each call adds a reference that is never given
// back, so the module stays for the life of the process: callers look up what they need
// once and keep it.
HMODULE SystemLibrary(const wchar_t* name);

// A function of such a DLL, or null when the DLL or the function is missing.
template <class Function>
Function SystemFunction(const wchar_t* library, const char* name) {
    HMODULE module = SystemLibrary(library);
    return module ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

// The same into `function`, its type taken from it.
template <class Function>
void LookUp(Function& function, const wchar_t* library, const char* name) {
    function = SystemFunction<Function>(library, name);
}

}  // namespace qel::sys
