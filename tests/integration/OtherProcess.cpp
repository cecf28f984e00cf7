#include "tests/integration/OtherProcess.h"

#include <gtest/gtest.h>

#include <atomic>

#include "tests/support/TempFolder.h"

namespace qel::test {

namespace {

std::string Quote(const std::string& s) { return "\"" + s + "\""; }
std::string Helper() { return TestProgramDir() + "qel_hold_database.exe"; }

}  // namespace

Holder::Holder(const std::string& action, const std::string& database, const std::string& resultFile,
               unsigned holdMs)
    : resultFile_(resultFile) {
    static std::atomic<int> counter{0};
    std::string base = "qel-hold-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(counter++);
    ready_.reset(CreateEventA(nullptr, TRUE, FALSE, (base + "-ready").c_str()));
    release_.reset(CreateEventA(nullptr, TRUE, FALSE, (base + "-release").c_str()));
    std::string arguments = action + " " + Quote(database) + " " + Quote(resultFile) + " " + base + "-ready " + base +
                            "-release";
    if (holdMs) arguments.append(1, ' ').append(std::to_string(holdMs));
    process_ = Launch(Helper(), arguments, "");
    HANDLE waits[] = {ready_.get(), process_.process.get()};
    WaitForMultipleObjects(2, waits, FALSE, 30000);
    result = ReadFile(resultFile);
}

Holder::~Holder() {
    SetEvent(release_.get());
    WaitForExit(process_.process.get(), 30000);
}

std::string Holder::Release() {
    SetEvent(release_.get());
    WaitForExit(process_.process.get(), 30000);
    return ReadFile(resultFile_);
}

std::string Probe(const std::string& action, const std::string& database, const std::string& resultFile) {
    Launched p = Launch(Helper(), action + " " + Quote(database) + " " + Quote(resultFile), "");
    EXPECT_TRUE(WaitForExit(p.process.get(), 30000));
    return ReadFile(resultFile);
}

}  // namespace qel::test
