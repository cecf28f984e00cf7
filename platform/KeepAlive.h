#pragma once
// A call a long operation makes on its caller's thread between two portions of its work,
// so that a caller with windows can keep them answering. Empty: nothing is called.
#include <functional>

namespace qel {

using KeepAlive = std::function<void()>;

}  // namespace qel
