// The program runs elevated from a folder ordinary users may write (an unpacked download,
// a share), and that folder holds, by design, old DLLs under system names for the
// data-access setup. Before any code of ours or of the C++ run-time asks for a DLL, the
// process's DLL search is narrowed to the system folder: the program's own folder and the
// current folder are no longer searched, for our loads and for every load the system
// DLLs make on our behalf (the shell's folder browser, COM, the themes).
//
// What runs before this: the loader resolves the static imports (all of them KnownDLLs,
// mapped from the system's own sections, and comctl32, which the manifest's side-by-side
// assembly supplies) and runs their entry points; then the C run-time's start-up calls the
// C initializers of the ".CRT$XI" sections in the order of their names, before the C++
// initializers (".CRT$XC") and before the static constructors, which mingw-w64's start-up
// runs from __main just before main. Ours sorts first among them ("XIA0" comes before the
// run-time's own "XIAA"). This file is linked into the program as an object, not through
// a library, so that nothing has to refer to it for it to be there.
#include <windows.h>

namespace {

int __cdecl RestrictDllSearchToSystemFolder() {
    // Looked up rather than imported: a system without it (Windows 7 without update
    // KB2533623) still starts, and then at least loses the current folder.
    using SetDirectories = BOOL(WINAPI*)(DWORD);
    const auto set = reinterpret_cast<SetDirectories>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
    if (!set || !set(LOAD_LIBRARY_SEARCH_SYSTEM32)) SetDllDirectoryW(L"");
    return 0;
}

}  // namespace

// An entry of the C run-time's table of C initializers, which are called once each, in
// the order of their section names.
extern "C" {
__attribute__((section(".CRT$XIA0"), used)) int(__cdecl* qel_restrict_dll_search)() =
    RestrictDllSearchToSystemFolder;
}
