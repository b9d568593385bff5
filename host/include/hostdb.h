// Host side of the drawing database: what the editor needs beyond the
// ObjectARX calls. The module never includes this header.
#pragma once

#include "dbmain.h"
#include "gept3d.h"

#include <string>
#include <utility>
#include <vector>

namespace brevant::host {

// Side databases. Resolving an external reference reads the referenced drawing
// into a database of its own that belongs to no document; the hook hears of
// it right after the read (the editor then sends its reactors
// initialDwgFileOpenComplete for it) and right before it is destroyed. The
// hook must not keep the pointer past ToBeDestroyed.
enum class SideDatabaseEvent { Read, ToBeDestroyed };
typedef void (*SideDatabaseHook)(AcDbDatabase* pSideDb, const char* fileName,
                                 SideDatabaseEvent event);
// Sets the hook (NULL: none); returns the previous one.
SideDatabaseHook setSideDatabaseHook(SideDatabaseHook hook);

// Referenced drawings read once, for a program that resolves the references
// of many drawings and has no reactors (the indexer): while the cache is on,
// what a referenced drawing brings in (its layers and blocks, or that it
// cannot be read) is kept, by its path, last write time and size, and a
// later reference to the same unchanged file is resolved from it without
// reading the drawing, so no side database is made and the hook hears
// nothing. At most maxBytes are kept (when full it starts again); 0 turns
// the cache off and empties it, as it is at the start.
void setReferenceCache(size_t maxBytes);

// What loading a drawing changed to make it sound, one line each (handles
// that two records shared, renumbered; the mending RECOVER did): the editor
// shows them once after opening. Empty for a sound file.
const std::vector<std::string>& loadRepairs(const AcDbDatabase* pDb);

// Why the drawing cannot be saved, or NULL when it can: a drawing read from a
// binary (DWG) file is only viewed, as the editor writes no DWG.
const char* whyNotSavable(const AcDbDatabase* pDb);

// RECOVER: reads a damaged drawing file as far as it can be understood (a
// missing end supplied, records outside their section moved into it or
// dropped, unreadable values replaced), then loads it as readDwgFile does.
// What was changed is in loadRepairs. A sound file reads as with
// readDwgFile; a file with no tag at all is refused as readDwgFile refuses it.
Acad::ErrorStatus recoverDrawing(AcDbDatabase* pDb, const char* fileName);

// Header variables kept in the drawing ($LTSCALE, $INSBASE, ...): the values
// of the variable's tags in order (one for a number, two or three for a
// point); empty when the drawing's header lacks it.
std::vector<std::string> headerVariable(const AcDbDatabase* pDb, const char* name);
// Sets the variable's tags (group code and value, in order), adding the
// variable to the header when it lacks it.
Acad::ErrorStatus setHeaderVariable(AcDbDatabase* pDb, const char* name,
                                    const std::vector<std::pair<int, std::string>>& tags);

// Operations behind the editor's commands. Each works on the given drawing,
// closes every object it opens, and returns eOk or the first failure, leaving
// the drawing unchanged on failure where it can.

// BLOCK: defines a block with attribute definitions (tag, default value) at the
// origin, on layer 0. eDuplicateRecord when the name is taken.
Acad::ErrorStatus defineBlock(AcDbDatabase* pDb, const char* blockName,
                              const std::vector<std::pair<std::string, std::string>>& attdefs,
                              AcDbObjectId& blockId);
// INSERT: a reference of a defined block in model space (or paper space). Each
// attribute definition of the block gets an attribute: the first unused value
// given for its tag, else its default. Values whose tags the block does not
// define are added as further attributes, in the order given, so one reference
// can carry a tag twice. eKeyNotFound when the block is not defined.
Acad::ErrorStatus insertBlock(AcDbDatabase* pDb, const char* blockName, const AcGePoint3d& position,
                              const std::vector<std::pair<std::string, std::string>>& values,
                              AcDbObjectId& referenceId, bool paperSpace = false);
// ATTEDIT: sets the text of every attribute with the tag (exact) on the block
// reference with the handle. eKeyNotFound when the reference has no such tag,
// eUnknownHandle when there is no such reference.
Acad::ErrorStatus setAttributeValue(AcDbDatabase* pDb, const char* referenceHandle, const char* tag,
                                    const char* value);
// XATTACH: defines an external reference block of the name with the stored
// path, inserts it at the position (unless insert is false, which leaves it
// unreferenced) and resolves it.
Acad::ErrorStatus attachXref(AcDbDatabase* pDb, const char* blockName, const char* path,
                             const AcGePoint3d& position, AcDbObjectId& blockId,
                             bool insert = true);
// XREF UNLOAD: marks an external reference unloaded; it stays so across save and
// reopen until acedXrefReload resolves it again.
Acad::ErrorStatus unloadXref(AcDbDatabase* pDb, const char* blockName);
// ERASE: erases the entity with the handle (a block reference with its
// attributes). eUnknownHandle when there is none, eWasErased when it is erased.
Acad::ErrorStatus eraseByHandle(AcDbDatabase* pDb, const char* handle);
// Adds a text entity in model space; handy for drawings that need entities.
Acad::ErrorStatus addText(AcDbDatabase* pDb, const char* text, const AcGePoint3d& position,
                          AcDbObjectId& textId);
// Registers an application name (APPID) unless it is there already.
Acad::ErrorStatus registerApplication(AcDbDatabase* pDb, const char* appName);

// The selection sets that acedSSGet made and acedSSFree has not freed yet, so
// that tests can see a caller free every set it took.
size_t openSelectionSetCount();

}  // namespace brevant::host
