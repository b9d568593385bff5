// Loads a drawing, binary (release 15) or DXF, into the editor's drawing
// store and prints one JSON line.
//   dwg-load FILE            the file's size, the load time and the peak memory
//   dwg-load --content FILE  what the store reads: layers, blocks and registered
//                            applications with their handles, block references
//                            and their attributes, the handle seed
//   dwg-load --dxf FILE OUT  writes the DXF form of a binary drawing
#include "db/DbInternal.h"
#include "dwg/DwgLoad.h"
#include "dwg/DwgReader.h"

#include "acutmem.h"
#include "dbents.h"
#include "dbsymtb.h"

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

namespace {

bool readAll(const char* path, std::vector<char>& bytes) {
    std::FILE* f = std::fopen(path, "rb");
    if (f == nullptr)
        return false;
    char chunk[1 << 16];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0)
        bytes.insert(bytes.end(), chunk, chunk + n);
    const bool ok = !std::ferror(f);
    std::fclose(f);
    return ok;
}

bool load(AcDbDatabase& db, std::vector<char>&& bytes, std::string& error) {
    if (brevant::dwg::looksLikeDwg(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()))
        return brevant::dwg::loadDwg(*db.impl(), std::move(bytes), error);
    return db.impl()->load(std::move(bytes), error);
}

std::string quoted(const std::string& s) {
    std::string q = "\"";
    for (unsigned char c : s) {
        if (c == '"' || c == '\\') {
            q += '\\';
            q += char(c);
        } else if (c < 0x20 || c >= 0x80) {
            char u[8];
            std::snprintf(u, sizeof u, "\\u%04x", c);
            q += u;
        } else {
            q += char(c);
        }
    }
    return q + "\"";
}

std::string handleOf(const AcDbObject* obj) {
    AcDbHandle h;
    obj->getAcDbHandle(h);
    char text[20];
    h.getIntoAsciiBuffer(text);
    return text;
}

// The records of a table, each as its handle and name: ["10", "0"].
template <typename Table, typename Iterator, typename Record>
std::vector<std::string> records(Table* table) {
    std::vector<std::string> out;
    Iterator* it = nullptr;
    table->newIterator(it);
    for (; !it->done(); it->step()) {
        Record* rec = nullptr;
        if (it->getRecord(rec, AcDb::kForRead) != Acad::eOk)
            continue;
        const char* name = nullptr;
        rec->getName(name);
        out.push_back("[" + quoted(handleOf(rec)) + ", " + quoted(name) + "]");
        rec->close();
    }
    delete it;
    return out;
}

void list(const char* key, const std::vector<std::string>& items, bool last = false) {
    std::printf("\"%s\": [", key);
    for (size_t k = 0; k < items.size(); ++k)
        std::printf("%s%s", k ? ", " : "", items[k].c_str());
    std::printf("]%s", last ? "" : ", ");
}

int content(AcDbDatabase& db) {
    std::vector<std::string> layers, blocks, apps, inserts, attributes;
    AcDbLayerTable* pLayers = nullptr;
    if (db.getLayerTable(pLayers, AcDb::kForRead) == Acad::eOk) {
        layers = records<AcDbLayerTable, AcDbLayerTableIterator, AcDbLayerTableRecord>(pLayers);
        pLayers->close();
    }
    AcDbRegAppTable* pApps = nullptr;
    if (db.getRegAppTable(pApps, AcDb::kForRead) == Acad::eOk) {
        apps = records<AcDbRegAppTable, AcDbRegAppTableIterator, AcDbRegAppTableRecord>(pApps);
        pApps->close();
    }
    std::vector<std::tuple<std::string, std::string, std::string>> refs, attrs;
    AcDbBlockTable* pBlocks = nullptr;
    if (db.getBlockTable(pBlocks, AcDb::kForRead) == Acad::eOk) {
        AcDbBlockTableIterator* it = nullptr;
        pBlocks->newIterator(it);
        for (; !it->done(); it->step()) {
            AcDbBlockTableRecord* rec = nullptr;
            if (it->getRecord(rec, AcDb::kForRead) != Acad::eOk)
                continue;
            const char* name = nullptr;
            rec->getName(name);
            blocks.push_back("[" + quoted(handleOf(rec)) + ", " + quoted(name) + "]");
            AcDbObjectIdArray ids;
            rec->getBlockReferenceIds(ids);
            for (const AcDbObjectId& id : ids) {
                AcDbBlockReference* ref = nullptr;
                if (acdbOpenObject(ref, id, AcDb::kForRead) != Acad::eOk)
                    continue;
                const std::string h = handleOf(ref);
                refs.emplace_back(h, name, "");
                AcDbObjectIterator* a = ref->attributeIterator();
                for (; !a->done(); a->step()) {
                    AcDbAttribute* attr = nullptr;
                    if (acdbOpenObject(attr, a->objectId(), AcDb::kForRead) != Acad::eOk)
                        continue;
                    char* tag = attr->tag();
                    char* text = attr->textString();
                    attrs.emplace_back(h, tag, text);
                    acutDelString(tag);
                    acutDelString(text);
                    attr->close();
                }
                delete a;
                ref->close();
            }
            rec->close();
        }
        delete it;
        pBlocks->close();
    }
    std::sort(refs.begin(), refs.end());
    std::sort(attrs.begin(), attrs.end());
    for (auto& r : refs)
        inserts.push_back("[" + quoted(std::get<0>(r)) + ", " + quoted(std::get<1>(r)) + "]");
    for (auto& a : attrs) {
        attributes.push_back("[" + quoted(std::get<0>(a)) + ", " + quoted(std::get<1>(a)) + ", " +
                             quoted(std::get<2>(a)) + "]");
    }
    char seed[20];
    db.handseed().getIntoAsciiBuffer(seed);
    std::printf("{");
    list("layers", layers);
    list("blocks", blocks);
    list("appids", apps);
    list("inserts", inserts);
    list("attribs", attributes);
    std::printf("\"handseed\": \"%s\"}\n", seed);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const bool contentMode = argc == 3 && std::strcmp(argv[1], "--content") == 0;
    const bool dxfMode = argc == 4 && std::strcmp(argv[1], "--dxf") == 0;
    if (!(argc == 2 || contentMode || dxfMode)) {
        std::fprintf(stderr,
                     "usage: dwg-load FILE | dwg-load --content FILE | dwg-load --dxf FILE OUT\n");
        return 2;
    }
    const char* path = argv[argc == 2 ? 1 : 2];
    std::vector<char> bytes;
    if (!readAll(path, bytes)) {
        std::fprintf(stderr, "dwg-load: %s: the file cannot be read\n", path);
        return 1;
    }
    const size_t size = bytes.size();
    std::string error;
    if (dxfMode) {
        std::vector<char> text;
        if (!brevant::dwg::readDwg(reinterpret_cast<const uint8_t*>(bytes.data()), size, text,
                                   error)) {
            std::fprintf(stderr, "dwg-load: %s: %s\n", path, error.c_str());
            return 1;
        }
        std::FILE* out = std::fopen(argv[3], "wb");
        const bool ok =
            out != nullptr && std::fwrite(text.data(), 1, text.size(), out) == text.size();
        if (out == nullptr || std::fclose(out) != 0 || !ok) {
            std::fprintf(stderr, "dwg-load: %s: the file cannot be written\n", argv[3]);
            return 1;
        }
        return 0;
    }
    const auto start = std::chrono::steady_clock::now();
    AcDbDatabase db(false);
    if (!load(db, std::move(bytes), error)) {
        std::fprintf(stderr, "dwg-load: %s: %s\n", path, error.c_str());
        return 1;
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (contentMode)
        return content(db);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("{\"file\": %s, \"bytes\": %zu, \"load_s\": %.4f, \"peak_rss_kb\": %ld}\n",
                quoted(path).c_str(), size, seconds, usage.ru_maxrss);
    return 0;
}
