#pragma once
// A folder that only administrators can change, made new by this process and held open
// while it is used. The staging folders live in the user's temporary folder, which the
// user's own programs, running without elevation, share with the elevated installation
// (UAC's split token): a folder there that they could write, or rename and put back with
// other files, would let them choose what is installed and what is run as administrator.
#include <optional>
#include <string>

#include "platform/Handles.h"

namespace qel::fs {

// The folder's security descriptor, in the platform's text form: owned by the
// Administrators group (so the user has no owner's rights over it either), its access
// list protected (nothing inherited from the folder above), full control for SYSTEM and
// Administrators and for no one else, passed on to every file and folder made inside.
inline constexpr const wchar_t* kAdminOnlyFolder = L"O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";

class ProtectedFolder {
public:
    // Makes the folder (the folder above must exist) with that descriptor, in the same
    // step that opens it: no one can put another folder in its place in between. It is
    // held open without delete sharing, so while it is held no one, this process included,
    // can rename, move or remove it. Nothing when it cannot be made: the last error says
    // why (ERROR_ALREADY_EXISTS when the name is taken by anything). The creation passes
    // the file operation seam as MakeFolder.
    static std::optional<ProtectedFolder> Create(const std::string& path);

    // Lets go of the folder, so that it can be removed.
    void Release() { held_.reset(); }

private:
    explicit ProtectedFolder(UniqueHandle held) : held_(std::move(held)) {}
    UniqueHandle held_;
};

}  // namespace qel::fs
