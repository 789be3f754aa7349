// A unit's storage cells in a file of the state directory, so that what a
// program set is still there in the next program's run, as a unit keeps its
// settings across power cycles. One cell a line: the id in four hex digits, a
// blank and the value's bytes in hex ("0008 04"); an empty value is the id
// alone.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "zyra_sim/frame.h"

namespace zyra_sim {

// Anyone may have written the file: a line that is not a cell is skipped, and
// a file over 1 MiB (thousands of times what a unit stores) is ignored whole.
std::map<uint16_t, Bytes> readStorageFile(const std::string &path);

// Through a temporary file and a rename, so a process killed while writing
// leaves the previous file whole.
void writeStorageFile(const std::string &path, const std::map<uint16_t, Bytes> &cells);

}  // namespace zyra_sim
