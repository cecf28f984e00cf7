#include "platform/SessionBlock.h"

namespace qel {
namespace {

// The first of the ranges kept for applications: asked before every application that
// kept the default (0x280).
constexpr DWORD kAskedFirst = 0x3FF;

}  // namespace

void SessionBlock::Hold(const std::wstring& reason) {
    if (held_) return;
    held_ = true;
    ShutdownBlockReasonCreate(window_, reason.c_str());
    if (!GetProcessShutdownParameters(&level_, &flags_)) level_ = 0x280, flags_ = 0;
    SetProcessShutdownParameters(kAskedFirst, 0);
}

void SessionBlock::Release() {
    if (!held_) return;
    held_ = false;
    ShutdownBlockReasonDestroy(window_);
    SetProcessShutdownParameters(level_, flags_);
}

}  // namespace qel
