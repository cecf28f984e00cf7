#include "platform/ProtectedFolder.h"

#include <windows.h>
#include <sddl.h>
#include <winternl.h>

#include "platform/FileOpSeam.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "platform/WidePath.h"

namespace qel::fs {

namespace {

// NtCreateFile makes a folder and opens it in one step, which the Win32 functions do not
// offer (CreateDirectory leaves a moment before the folder can be opened). It is looked up
// in ntdll, which every process has loaded, so that the import table stays as it is.
using CreateFile = NTSTATUS(NTAPI*)(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES, PIO_STATUS_BLOCK, PLARGE_INTEGER,
                                    ULONG, ULONG, ULONG, ULONG, PVOID, ULONG);
using StatusToError = ULONG(NTAPI*)(NTSTATUS);

template <class Function>
Function FromNtdll(const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), name)));
}

// A security descriptor made from its text form, freed with LocalFree.
class Descriptor {
public:
    explicit Descriptor(const wchar_t* sddl) {
        ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &sd_, nullptr);
    }
    ~Descriptor() { LocalFree(sd_); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    PSECURITY_DESCRIPTOR get() const { return sd_; }

private:
    PSECURITY_DESCRIPTOR sd_ = nullptr;
};

// The platform's own name of a full path: "\??\C:\X", "\??\UNC\server\share\X".
std::wstring NtName(const std::string& path) {
    std::wstring name = LongForm(FullPath(text::Widen(path)));
    name[1] = L'?';  // "\\?\" -> "\??\"
    return name;
}

bool MakeAndOpen(const std::string& path, UniqueHandle& held) {
    static const auto create = FromNtdll<CreateFile>("NtCreateFile");
    static const auto toError = FromNtdll<StatusToError>("RtlNtStatusToDosError");
    const Descriptor sd(kAdminOnlyFolder);
    if (!sd.get()) return false;  // the conversion's own error
    if (!create || !toError) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return false;
    }
    std::wstring name = NtName(path);
    UNICODE_STRING counted{static_cast<USHORT>(name.size() * sizeof(wchar_t)),
                           static_cast<USHORT>(name.size() * sizeof(wchar_t)), name.data()};
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &counted, OBJ_CASE_INSENSITIVE, nullptr, sd.get());
    IO_STATUS_BLOCK io{};
    HANDLE h = nullptr;
    // Listing access makes the share mode count: an open that only reads attributes
    // would not keep others from opening the folder to rename or delete it.
    const NTSTATUS status =
        create(&h, FILE_LIST_DIRECTORY | SYNCHRONIZE, &attributes, &io, nullptr, FILE_ATTRIBUTE_NORMAL,
               FILE_SHARE_READ | FILE_SHARE_WRITE, FILE_CREATE, FILE_DIRECTORY_FILE | FILE_SYNCHRONOUS_IO_NONALERT,
               nullptr, 0);
    if (status < 0) {
        SetLastError(toError(status));
        return false;
    }
    held.reset(h);
    return true;
}

}  // namespace

std::optional<ProtectedFolder> ProtectedFolder::Create(const std::string& path) {
    UniqueHandle held;
    if (!Attempted(FileOp::MakeFolder, path, [&] { return MakeAndOpen(path, held); })) return std::nullopt;
    return ProtectedFolder(std::move(held));
}

}  // namespace qel::fs
