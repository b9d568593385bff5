// The one coupling of the binary reader to the drawing store's loader.
#include "DwgLoad.h"

#include "DwgReader.h"

#include "../db/DbInternal.h"

namespace brevant::dwg {

bool loadDwg(AcDbDatabase::Impl& impl, std::vector<char>&& file, std::string& error) {
    std::vector<char> text;
    const bool read =
        readDwg(reinterpret_cast<const uint8_t*>(file.data()), file.size(), text, error);
    std::vector<char>().swap(file);
    if (!read) {
        impl.clear();
        return false;
    }
    return impl.load(std::move(text), error);
}

}  // namespace brevant::dwg
