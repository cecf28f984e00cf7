#include "platform/FileOpSeam.h"

namespace qel::fs {

namespace {
FileOpSeam* g_seam = nullptr;
}

ScopedFileOpSeam::ScopedFileOpSeam(FileOpSeam& seam) : previous_(g_seam) { g_seam = &seam; }
ScopedFileOpSeam::~ScopedFileOpSeam() { g_seam = previous_; }

FileOpSeam* detail::CurrentSeam() { return g_seam; }

}  // namespace qel::fs
