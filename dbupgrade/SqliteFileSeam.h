#pragma once
// The embedded engine's file calls through the file operation seam (platform/FileOpSeam.h).
//
// A thin file layer over another one (the engine's default, or the exclusive layer of
// SqliteExclusiveVfs.h) that hands every open, read, write, flush, truncation, lock and
// deletion to the seam before and after the layer below does it, so that a test can make
// any single one of them fail as a failing disk or file system would: the engine then
// gets the error code the platform's layer gives for that call. Chosen only for a
// connection opened while a seam is installed; the program never installs one, and its
// connections use the layers below directly.

namespace qel::db {

// The name of the layer over `under` (null: the engine's default layer), registered on
// first use; to be passed to sqlite3_open_v2.
const char* SeamedVfsName(const char* under);

}  // namespace qel::db
