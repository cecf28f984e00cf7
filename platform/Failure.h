#pragma once
// Failures that travel as exceptions carry the system's own message text, in the program's
// 8-bit Windows-1252 encoding, exactly as the user will read it.
#include <stdexcept>
#include <string>

namespace qel {

class Failure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A failure of the file system's input/output layer (for example a folder that cannot be
// entered); kept apart so callers and tests can tell it from database failures.
class InOutFailure : public Failure {
public:
    InOutFailure(const std::string& message, unsigned long code)
        : Failure(message), code_(code) {}
    unsigned long Code() const { return code_; }

private:
    unsigned long code_;
};

}  // namespace qel
