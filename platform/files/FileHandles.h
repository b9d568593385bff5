// Inside the platform: what the file calls know of the handles open in this
// process, for the helpers built beside them.
#pragma once

#include <sys/stat.h>

namespace brevant::platform::detail {

// Deleting or renaming needs every open handle to share deletion: true when
// a handle to the file holds it without FILE_SHARE_DELETE.
bool openWithoutShareDelete(const struct stat& st);

}  // namespace brevant::platform::detail
