#pragma once
// Short names of the file operations that pass the seam, for test reports.
#include "platform/FileOpSeam.h"

namespace qel::test {

inline const char* NomeDaOperacao(fs::FileOp op) {
    switch (op) {
        case fs::FileOp::Copy: return "copy";
        case fs::FileOp::Attributes: return "attributes";
        case fs::FileOp::Open: return "open";
        case fs::FileOp::Create: return "create";
        case fs::FileOp::Read: return "read";
        case fs::FileOp::Write: return "write";
        case fs::FileOp::Flush: return "flush";
        case fs::FileOp::Truncate: return "truncate";
        case fs::FileOp::Lock: return "lock";
        case fs::FileOp::Move: return "move";
        case fs::FileOp::MoveAtRestart: return "move-at-restart";
        case fs::FileOp::Delete: return "delete";
        case fs::FileOp::RemoveMark: return "mark";
        case fs::FileOp::RemoveEntry: return "remove";
        case fs::FileOp::MakeFolder: return "mkdir";
    }
    return "?";
}

}  // namespace qel::test
