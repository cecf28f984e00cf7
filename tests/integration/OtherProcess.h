#pragma once
// Another process working on a database file: the helper program qel_hold_database
// holding the file open, or trying to open it once (see HoldDatabase.cpp for the actions).
#include <string>

#include "platform/Handles.h"
#include "tests/support/Windows.h"

namespace qel::test {

// Holds the file from another process until this object goes away, or for holdMs when
// given. result is what the helper reported: "held", or why it could not.
class Holder {
public:
    Holder(const std::string& action, const std::string& database, const std::string& resultFile,
           unsigned holdMs = 0);
    ~Holder();
    Holder(const Holder&) = delete;
    Holder& operator=(const Holder&) = delete;

    // Lets go of the file, waits for the helper to end and returns its last report.
    std::string Release();
    DWORD Pid() const { return process_.pid; }

    std::string result;

private:
    UniqueHandle ready_, release_;
    Launched process_;
    std::string resultFile_;
};

// Another process trying to open the database once; what it got ("opened" or
// "refused...").
std::string Probe(const std::string& action, const std::string& database, const std::string& resultFile);

}  // namespace qel::test
