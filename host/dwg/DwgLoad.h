// Where the binary reader meets the drawing store: a release-15 drawing file
// is read into the tags of its DXF form, and those go through the same
// structure pass as a DXF file.
#pragma once

#include "dbmain.h"

#include <string>
#include <vector>

namespace brevant::dwg {

// Replaces the database's content with the drawing in the file's bytes,
// which are released once read. On failure returns false and sets error (the
// database is then empty).
bool loadDwg(AcDbDatabase::Impl& impl, std::vector<char>&& file, std::string& error);

}  // namespace brevant::dwg
