#pragma once
// The message of the failure an action throws, or "no failure": lets a test compare the
// exact text the user would read.
#include <string>

#include "platform/Failure.h"

namespace qel::test {

template <class F>
std::string FailureOf(F&& f) {
    try {
        f();
    } catch (const Failure& failure) {
        return failure.what();
    }
    return "no failure";
}

}  // namespace qel::test
