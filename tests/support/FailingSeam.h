#pragma once
// A file operation seam that fails, before it runs, every attempt of one kind of
// operation (on one file, when a name is given) with an error nothing waits out (0 lets
// it run), and runs a hook ahead of each such attempt (another program acting in between).
#include <windows.h>

#include <functional>
#include <string>
#include <utility>

#include "platform/FileOpSeam.h"
#include "platform/FileSystem.h"

namespace qel::test {

class FailingSeam : public fs::FileOpSeam {
public:
    explicit FailingSeam(fs::FileOp op, std::string file = "", DWORD error = ERROR_IO_DEVICE)
        : op_(op), file_(std::move(file)), error_(error) {}
    DWORD Before(const fs::FileOpCall& call) override {
        if (call.op != op_ || (!file_.empty() && fs::ExtractFileName(call.path) != file_)) return 0;
        if (before) before();
        return error_;
    }
    DWORD After(const fs::FileOpCall&, DWORD error) override { return error; }

    std::function<void()> before;

private:
    fs::FileOp op_;
    std::string file_;
    DWORD error_;
};

}  // namespace qel::test
