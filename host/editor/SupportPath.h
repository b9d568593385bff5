// Inside the host: where the editor looks for a file named without its folder
// (a module by its bare name, a LISP file to load, findfile), as the real
// editor searches its support path.
#pragma once

#include <string>
#include <vector>

namespace brevant::host {

// In order: the current folder, the current drawing's folder (a drawing that
// was saved), the editor program's folder, and the folders an installation
// keeps the modules and their support files in (<program folder>/../lib/
// brevant/bin and .../support). Linux paths; folders that do not exist are
// left out.
std::vector<std::string> supportFolders();

// A file by its name: a name with a folder (or a drive) as it is, a bare name
// in the support folders. Its full path, in Windows form where a drive maps
// it; empty when there is no such file.
std::string findSupportFile(const std::string& name);

}  // namespace brevant::host
