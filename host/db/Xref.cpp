// External references: finding the referenced drawing, its status, and the
// layers and blocks a resolved reference brings into the drawing.
#include "DbInternal.h"

#include "acedxref.h"
#include "acutmem.h"
#include "dbapserv.h"
#include "dbsymtb.h"
#include "hostdb.h"

#include <brevant/platform.h>
#include <win/files.h>
#include <win/registry.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

using namespace brevant::db;
using brevant::dxf::OwnedTag;
using brevant::dxf::TagRef;

namespace {

brevant::host::SideDatabaseHook g_sideHook = nullptr;

const char kUnloadedMark[] = "XREF_UNLOADED";

bool regString(HKEY root, const std::string& key, const char* value, std::string& out) {
    HKEY hKey = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &hKey) != 0) {
        return false;
    }
    char buffer[4096];
    DWORD size = sizeof buffer - 1;
    DWORD type = 0;
    LONG rc =
        RegQueryValueExA(hKey, value, nullptr, &type, reinterpret_cast<LPBYTE>(buffer), &size);
    RegCloseKey(hKey);
    if (rc != 0 || (type != REG_SZ && type != REG_EXPAND_SZ)) {
        return false;
    }
    buffer[size < sizeof buffer ? size : sizeof buffer - 1] = '\0';
    out = buffer;
    return true;
}

// The reference search path of a project in the current profile; empty when
// any step of the way is missing.
std::string projectSearchPath(const std::string& project) {
    if (project.empty()) {
        return {};
    }
    std::string version, product, profile, path;
    const std::string base = "SOFTWARE\\Autodesk\\AutoCAD";
    if (!regString(HKEY_LOCAL_MACHINE, base, "CurVer", version)) {
        return {};
    }
    if (!regString(HKEY_LOCAL_MACHINE, base + "\\" + version, "CurVer", product)) {
        return {};
    }
    const std::string profiles =
        "Software\\Autodesk\\AutoCAD\\" + version + "\\" + product + "\\Profiles";
    if (!regString(HKEY_CURRENT_USER, profiles, nullptr, profile)) {
        return {};
    }
    if (!regString(HKEY_CURRENT_USER, profiles + "\\" + profile + "\\Project Settings\\" + project,
                   "RefSearchPath", path)) {
        return {};
    }
    return path;
}

bool fileExists(const std::string& windowsPath) {
    const DWORD attributes = GetFileAttributesA(windowsPath.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::string folderOf(const std::string& path) {
    size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string fileNameOf(const std::string& path) {
    size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool isAbsolute(const std::string& path) {
    return (path.size() >= 2 && path[1] == ':') ||
           (!path.empty() && (path[0] == '\\' || path[0] == '/'));
}

std::string joinPath(std::string folder, const std::string& name) {
    if (!folder.empty() && folder.back() != '\\' && folder.back() != '/') {
        folder += '\\';
    }
    return folder + name;
}

}  // namespace

namespace {

// What a referenced drawing brings into the drawing that refers to it: its
// layers (name and colour) and blocks, as the binding takes them.
struct ReferencedDrawing {
    bool layerTable = false;  // it has one, even if none of its layers is taken
    std::vector<std::pair<std::string, std::string>> layers;
    std::vector<std::string> blocks;
    // The side database it was read into; none when the cache answered.
    std::unique_ptr<AcDbDatabase> side;
};

void takeContent(const AcDbDatabase::Impl& s, ReferencedDrawing& out) {
    const int layers = s.tableIndex("LAYER");
    out.layerTable = layers >= 0;
    if (layers >= 0) {
        for (uint32_t m : s.tables[size_t(layers)].members) {
            const std::string name = s.recordName(m);
            if (s.isErased(m) || name.empty() || name == "0" ||
                name.find('|') != std::string::npos) {
                continue;
            }
            const std::string_view colour = s.valueOf(m, 62);
            out.layers.emplace_back(name, colour.empty() ? "7" : std::string(colour));
        }
    }
    for (const BlockInfo& sb : s.blocks) {
        const std::string name = s.blockName(sb);
        if (s.isErased(sb.primary()) || name.empty() || name[0] == '*' || name[0] == '$' ||
            (s.blockFlags(sb) & (1 | 4 | 16)) || name.find('|') != std::string::npos) {
            continue;
        }
        out.blocks.push_back(name);
    }
}

// The state of a file as the platform's file calls give it: last write
// time, creation time (on Linux the time of the last change to the file or
// its entry, which copying a file with its times kept also moves) and size.
struct FileStamp {
    uint64_t written = 0;
    uint64_t created = 0;
    uint64_t size = 0;
    bool operator==(const FileStamp& o) const {
        return written == o.written && created == o.created && size == o.size;
    }
};

bool fileStamp(const std::string& path, FileStamp& stamp) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(path.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) {
        return false;
    }
    FindClose(find);
    auto time = [](const FILETIME& t) {
        return (uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    stamp.written = time(data.ftLastWriteTime);
    stamp.created = time(data.ftCreationTime);
    stamp.size = (uint64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return true;
}

// Referenced drawings already read, while the cache is on, by path: the
// file's state when it was read, and what it brings in (or that it could not
// be read).
struct CachedDrawing {
    FileStamp stamp;
    bool readable = false;
    bool layerTable = false;
    std::vector<std::pair<std::string, std::string>> layers;
    std::vector<std::string> blocks;
};

struct ReferenceCache {
    size_t maxBytes = 0;
    size_t bytes = 0;
    std::map<std::string, CachedDrawing> drawings;
};

ReferenceCache& referenceCache() {
    static ReferenceCache cache;
    return cache;
}

size_t bytesOf(const std::string& path, const CachedDrawing& drawing) {
    const size_t perString = sizeof(std::string) + 16;
    size_t bytes = path.size() + perString + sizeof(CachedDrawing);
    for (const auto& [name, colour] : drawing.layers) {
        bytes += name.size() + colour.size() + 2 * perString;
    }
    for (const std::string& name : drawing.blocks) {
        bytes += name.size() + perString;
    }
    return bytes;
}

// Keeps what the drawing at the path brings in, in place of what was kept
// for an earlier state of the file; when the cache is full it starts again.
void remember(ReferenceCache& cache, const std::string& path, CachedDrawing entry) {
    const auto old = cache.drawings.find(path);
    if (old != cache.drawings.end()) {
        cache.bytes -= bytesOf(path, old->second);
        cache.drawings.erase(old);
    }
    const size_t bytes = bytesOf(path, entry);
    if (cache.bytes + bytes > cache.maxBytes) {
        cache.drawings.clear();
        cache.bytes = 0;
    }
    if (bytes <= cache.maxBytes) {
        cache.drawings.emplace(path, std::move(entry));
        cache.bytes += bytes;
    }
}

// Reads the referenced drawing into a side database (its own references are
// not followed, so a drawing that refers to itself cannot loop) and takes
// what it brings in; false when it cannot be read. With the cache on, a file
// read before and unchanged since is not read again.
bool readReferencedDrawing(const std::string& path, ReferencedDrawing& out) {
    ReferenceCache& cache = referenceCache();
    FileStamp stamp;
    const bool cached = cache.maxBytes > 0 && fileStamp(path, stamp);
    if (cached) {
        const auto it = cache.drawings.find(path);
        if (it != cache.drawings.end() && it->second.stamp == stamp) {
            out.layerTable = it->second.layerTable;
            out.layers = it->second.layers;
            out.blocks = it->second.blocks;
            return it->second.readable;
        }
    }
    auto side = std::make_unique<AcDbDatabase>(false);
    side->impl()->resolveXrefs = false;
    const bool readable = side->readDwgFile(path.c_str()) == Acad::eOk;
    if (readable) {
        if (g_sideHook != nullptr) {
            g_sideHook(side.get(), path.c_str(), brevant::host::SideDatabaseEvent::Read);
        }
        takeContent(*side->impl(), out);
        out.side = std::move(side);
    }
    if (cached) {
        CachedDrawing entry;
        entry.stamp = stamp;
        entry.readable = readable;
        entry.layerTable = out.layerTable;
        entry.layers = out.layers;
        entry.blocks = out.blocks;
        remember(cache, path, std::move(entry));
    }
    return readable;
}

}  // namespace

void brevant::host::setReferenceCache(size_t maxBytes) {
    ReferenceCache& cache = referenceCache();
    cache.maxBytes = maxBytes;
    cache.drawings.clear();
    cache.bytes = 0;
}

brevant::host::SideDatabaseHook brevant::host::setSideDatabaseHook(SideDatabaseHook hook) {
    SideDatabaseHook old = g_sideHook;
    g_sideHook = hook;
    return old;
}

bool AcDbDatabase::Impl::xrefReferenced(const BlockInfo& b) const {
    const std::string name = blockName(b);
    for (uint32_t i : inserts) {
        if (!isErased(i) && sameText(valueOf(i, 2), name)) {
            return true;
        }
    }
    return false;
}

bool AcDbDatabase::Impl::xrefUnloadedMark(const BlockInfo& b) const {
    if (b.block == kNone) {
        return false;
    }
    std::vector<TagRef> tags;
    tagsOf(b.block, tags);
    bool acad = false;
    for (const TagRef& t : tags) {
        if (t.code == 1001) {
            acad = sameText(t.value, "ACAD");
        }
        if (acad && t.code == 1000 && t.value == kUnloadedMark) {
            return true;
        }
    }
    return false;
}

void AcDbDatabase::Impl::resolveAllXrefs() {
    for (size_t k = 0; k < blocks.size(); ++k) {
        if (blockFlags(blocks[k]) & 4) {
            resolveXref(blocks[k]);
        }
    }
}

void AcDbDatabase::Impl::resolveXref(BlockInfo& b) {
    // Copy what is needed first: adding records may move the block list.
    const uint32_t primary = b.primary();
    auto setStatus = [this, primary](AcDb::XrefStatus s) {
        auto it = blockOfRecord.find(primary);
        if (it != blockOfRecord.end()) {
            blocks[it->second].status = s;
        }
    };
    if (!xrefReferenced(b)) {
        setStatus(AcDb::kXrfUnreferenced);
        return;
    }
    if (xrefUnloadedMark(b)) {
        setStatus(AcDb::kXrfUnloaded);
        return;
    }
    const std::string refName = blockName(b);
    const std::string stored(valueOf(b.block, 1));
    // Where the drawing is looked for: the path as stored, then the drawing's
    // folder, then the reference search path of the drawing's project.
    std::vector<std::string> candidates;
    const std::string folder = hasFileName ? folderOf(fileName) : std::string();
    if (!stored.empty()) {
        if (isAbsolute(stored)) {
            candidates.push_back(stored);
        } else if (!folder.empty()) {
            candidates.push_back(joinPath(folder, stored));
        }
        if (!folder.empty()) {
            candidates.push_back(joinPath(folder, fileNameOf(stored)));
        }
        char* project = nullptr;
        self->getProjectName(project);
        std::string searchPath = projectSearchPath(project ? project : "");
        acutDelString(project);
        size_t start = 0;
        while (start <= searchPath.size()) {
            size_t semi = searchPath.find(';', start);
            std::string dir = searchPath.substr(
                start, semi == std::string::npos ? std::string::npos : semi - start);
            if (!dir.empty()) {
                candidates.push_back(joinPath(dir, fileNameOf(stored)));
            }
            if (semi == std::string::npos) {
                break;
            }
            start = semi + 1;
        }
    }
    std::string found;
    for (const std::string& c : candidates) {
        if (fileExists(c)) {
            found = c;
            break;
        }
    }
    if (found.empty()) {
        setStatus(AcDb::kXrfFileNotFound);
        return;
    }
    ReferencedDrawing referenced;
    if (!readReferencedDrawing(found, referenced)) {
        setStatus(AcDb::kXrfUnresolved);
        return;
    }
    // Layers of the referenced drawing, named "<reference>|<layer>".
    AcDbLayerTable* pLayers = nullptr;
    if (referenced.layerTable && self->getLayerTable(pLayers, AcDb::kForWrite) == Acad::eOk) {
        for (const auto& [name, colour] : referenced.layers) {
            const std::string dependent = refName + "|" + name;
            if (pLayers->has(dependent.c_str())) {
                continue;
            }
            auto* rec = new AcDbLayerTableRecord;
            ObjectData* d = rec->hostData();
            d->set(2, dependent);
            d->set(70, "48");
            d->set(62, colour);
            if (pLayers->add(rec) == Acad::eOk) {
                rec->close();
            } else {
                delete rec;
            }
        }
        pLayers->close();
    }
    // Blocks of the referenced drawing, named "<reference>|<block>".
    AcDbBlockTable* pBlocks = nullptr;
    if (tableIndex("BLOCK_RECORD") >= 0 &&
        self->getBlockTable(pBlocks, AcDb::kForWrite) == Acad::eOk) {
        for (const std::string& name : referenced.blocks) {
            const std::string dependent = refName + "|" + name;
            if (pBlocks->has(dependent.c_str())) {
                continue;
            }
            auto* rec = new AcDbBlockTableRecord;
            rec->hostData()->set(2, dependent);
            AcDbObjectId id;
            if (pBlocks->add(id, rec) == Acad::eOk) {
                const BlockInfo* nb = blockOf(id.recordIndex());
                if (nb != nullptr && nb->block != kNone) {
                    materialize(nb->block)->hostData()->set(70, "48");
                }
                rec->close();
            } else {
                delete rec;
            }
        }
        pBlocks->close();
    }
    setStatus(AcDb::kXrfResolved);
    if (referenced.side != nullptr && g_sideHook != nullptr) {
        g_sideHook(referenced.side.get(), found.c_str(),
                   brevant::host::SideDatabaseEvent::ToBeDestroyed);
    }
}

Acad::ErrorStatus acedXrefReload(const AcDbObjectIdArray& XrefBTRids, bool /*bQuiet*/,
                                 AcDbDatabase* pHostDb) {
    AcDbDatabase* db =
        pHostDb != nullptr ? pHostDb : acdbHostApplicationServices()->workingDatabase();
    if (!isLiveDatabase(db)) {
        return XrefBTRids.isEmpty() ? Acad::eOk : Acad::eNoDatabase;
    }
    AcDbDatabase::Impl* impl = db->impl();
    Acad::ErrorStatus result = Acad::eOk;
    for (const AcDbObjectId& id : XrefBTRids) {
        const BlockInfo* b = id.database() == db ? impl->blockOf(id.recordIndex()) : nullptr;
        if (b == nullptr || !(impl->blockFlags(*b) & 4)) {
            if (result == Acad::eOk) {
                result = Acad::eInvalidInput;
            }
            continue;
        }
        // Reloading ends an unload.
        if (impl->xrefUnloadedMark(*b)) {
            AcDbObject* begin = impl->materialize(b->block);
            auto& tags = begin->hostData()->tags;
            size_t start = tags.size();
            for (size_t k = 1; k < tags.size(); ++k) {
                if (tags[k].code == 1001 && sameText(tags[k].value, "ACAD")) {
                    start = k;
                    break;
                }
            }
            size_t end = start + 1;
            while (end < tags.size() && tags[end].code != 1001) {
                ++end;
            }
            if (start < tags.size()) {
                tags.erase(start, end);
            }
            impl->markModified();
        }
        auto it = impl->blockOfRecord.find(id.recordIndex());
        impl->resolveXref(impl->blocks[it->second]);
    }
    return result;
}

Acad::ErrorStatus brevant::host::unloadXref(AcDbDatabase* pDb, const char* blockName) {
    if (!isLiveDatabase(pDb) || blockName == nullptr) {
        return Acad::eInvalidInput;
    }
    AcDbDatabase::Impl* impl = pDb->impl();
    int k = impl->blockIndexByName(blockName);
    if (k < 0) {
        return Acad::eKeyNotFound;
    }
    BlockInfo& b = impl->blocks[size_t(k)];
    if (!(impl->blockFlags(b) & 4) || b.block == kNone) {
        return Acad::eNotApplicable;
    }
    if (!impl->xrefUnloadedMark(b)) {
        auto& tags = impl->materialize(b.block)->hostData()->tags;
        tags.push_back(OwnedTag{1001, "ACAD"});
        tags.push_back(OwnedTag{1000, kUnloadedMark});
        impl->markModified();
    }
    if (b.status != AcDb::kXrfUnreferenced) {
        b.status = AcDb::kXrfUnloaded;
    }
    return Acad::eOk;
}
