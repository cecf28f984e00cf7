#pragma once
// The demo medium the build laid out, copied fresh for each end-to-end test, with the
// real wizard started from the copy.
#include <string>
#include <vector>

#include "tests/support/TempFolder.h"
#include "tests/support/Windows.h"
#include "tools/uidriver/WizardSession.h"

namespace qel::e2e {

using uidriver::WizardSession;

// A folder the build made beside the tests: "medium", "payload", "installed-3.1.9".
inline std::string DemoFolder(const char* name) { return test::TestProgramDir() + "..\\demo\\" + name; }

class LaidOutMedium {
protected:
    explicit LaidOutMedium(const std::vector<std::string>& withoutFiles) {
        uidriver::CopyFolderFiles(DemoFolder("medium"), folder_.Path());
        for (const auto& f : withoutFiles) DeleteFileA((folder_ / f).c_str());
    }
    test::TempFolder folder_{"e2emedium"};
};

// The wizard running from a fresh copy of the demo medium (optionally missing some files),
// with those command-line arguments.
class DemoSession : private LaidOutMedium, public WizardSession {
public:
    explicit DemoSession(const std::vector<std::string>& withoutFiles = {}, const std::string& arguments = "")
        : LaidOutMedium(withoutFiles), WizardSession(folder_.Path(), arguments) {}
    // The medium's folder (the wizard's own folder and its current folder).
    const std::string& Medium() const { return folder_.Path(); }
};

}  // namespace qel::e2e
