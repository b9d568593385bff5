// One registry hive in memory, and its text form: the registry export format
// ("Windows Registry Editor Version 5.00", [key] sections, "name"="text",
// dword:, hex:, hex(N):). The hive keeps values as the A calls give them; in
// the text, hex(2) and hex(7) texts are UTF-16 (single bytes in a "REGEDIT4"
// file). This part knows nothing of files or locking, so that
// the parser can be exercised on its own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace brevant::platform::registry {

// Limits that keep a damaged or hostile file from taking unbounded memory.
// A key name and a value name follow the Windows limits; a value is capped at
// the size Windows allows in the standard hive format; a hive file is read up
// to kMaxFileBytes.
constexpr size_t kMaxKeyNameLength = 255;
constexpr size_t kMaxValueNameLength = 16383;
constexpr size_t kMaxValueBytes = 1024 * 1024;
constexpr size_t kMaxFileBytes = 16 * 1024 * 1024;

struct Value {
    std::string name;  // "" for the default value
    uint32_t type = 0;
    std::string data;  // the raw bytes, as RegQueryValueExA returns them
};

struct Key {
    std::string path;  // below the root, components joined by "\", "" for the root
    std::vector<Value> values;
};

// Orders lower-cased key paths so that every key comes right before its
// subkeys, and a subtree is contiguous ("a", "a\b", "a\b\c", "a\c", "a b").
struct PathLess {
    bool operator()(const std::string& a, const std::string& b) const;
};

class Hive {
public:
    // Key names compare without regard to case.
    Key* find(const std::string& path);
    const Key* find(const std::string& path) const;
    // A key exists when it has a section of its own or a subkey (a hand-edited
    // file may leave out the sections of middle keys). The root always exists.
    bool exists(const std::string& path) const;
    // The key as stored (its letter case), or the path itself when it is new.
    std::string storedPath(const std::string& path) const;
    // The key, made together with every missing middle key; `created` tells
    // whether the key itself is new.
    Key& create(const std::string& path, bool& created);
    // Removes the key and all its subkeys.
    void remove(const std::string& path);

    static const Value* findValue(const Key& key, const std::string& name);
    static void setValue(Key& key, const std::string& name, uint32_t type, std::string data);
    static bool deleteValue(Key& key, const std::string& name);

    const std::map<std::string, Key, PathLess>& keys() const { return m_keys; }
    bool operator==(const Hive& other) const;

private:
    std::map<std::string, Key, PathLess> m_keys;  // by lower-cased path
};

// ASCII lower case, as the registry compares names.
std::string lowerCase(const std::string& text);
bool sameName(const std::string& a, const std::string& b);
// A subkey path with empty components dropped ("a\\\b\" gives "a\b"); forward
// slashes are ordinary characters in key names, as on Windows.
std::string normalisePath(const std::string& path);
std::string joinPath(const std::string& parent, const std::string& child);

// What the parser could not understand: the number of such lines, and the
// first one with its line number and a description.
struct ParseReport {
    int problems = 0;
    int firstLine = 0;
    std::string firstProblem;
    void add(int line, const std::string& problem);
};

// Reads the text of a hive whose sections start with `rootName` (for example
// "HKEY_CURRENT_USER"), as far as it can be understood: a line that cannot be
// read is skipped and counted, everything else is kept.
Hive parseHive(const std::string& text, const std::string& rootName, ParseReport& report);

// The text of a hive: the header, then one section per key, each key before
// its subkeys, lines ending in CR LF.
std::string formatHive(const Hive& hive, const std::string& rootName);

}  // namespace brevant::platform::registry
