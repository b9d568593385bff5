// Recovering a damaged drawing file: its tags are read as far as they can be
// understood and put back into a sound order, so that the structure pass
// and the loader take them as they take any file.
#pragma once

#include "DxfTags.h"

#include <string>
#include <vector>

namespace brevant::dxf {

// Reads the file leniently (DxfTags.h) and writes a sound drawing, in the
// file's own form, to `mended`:
// - a value that does not read as its group code requires is read as the
//   number it starts with ("1.5" of "1.5.5"), else as 0 (binary data keeps
//   the hexadecimal digits it starts with, possibly none);
// - a section, table or block left open is closed where the next one starts
//   or the file ends, and a missing "0 EOF" is supplied;
// - an ENDSEC inside the HEADER section, followed by more header variables,
//   is dropped so that the variables stay in the header;
// - a record outside any section is moved into the section before it when
//   that holds entities or objects, and dropped otherwise; table records
//   outside a table and entities outside a block definition are dropped;
// - a stray ENDSEC, ENDTAB or ENDBLK is dropped.
// Each change is appended to `changes` with the place it concerns ("line 12:
// ..."). Fails only when the file holds no tag at all.
bool recoverTags(std::vector<char>&& file, std::vector<char>& mended,
                 std::vector<std::string>& changes, std::string& error);

}  // namespace brevant::dxf
