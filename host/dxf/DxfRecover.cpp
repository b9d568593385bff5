// Recovering a damaged drawing: records are sorted into the sections they
// belong to, what is missing is supplied, and the result is written out in
// the file's own form.
#include "DxfRecover.h"

#include "DxfStructure.h"

#include <brevant/text.h>

#include <cctype>
#include <charconv>
#include <deque>

namespace brevant::dxf {

namespace {

struct OutTag {
    int16_t code;
    std::string_view value;
};

struct OutSection {
    std::string name;  // upper case
    std::vector<OutTag> tags;
    size_t endsec = 0;  // where its ENDSEC tag stands, once it is closed
};

class Mender {
public:
    Mender(const TagFile& file, std::vector<std::string>& changes)
        : m_file(file), m_changes(changes) {}

    void run();
    void write(std::vector<char>& out) const;

private:
    void note(uint32_t tag, const std::string& what) {
        m_changes.push_back(m_file.where(tag) + ": " + what);
    }
    std::string_view checked(uint32_t index);
    void append(uint32_t first, uint32_t end);
    void openSection(uint32_t first, uint32_t end);
    void closeSection(uint32_t at, bool supplied);
    void closeTable(uint32_t at);
    void closeBlock(uint32_t at);
    void stray(uint32_t first, uint32_t end, std::string_view type);
    std::string_view keep(std::string text) { return m_texts.emplace_back(std::move(text)); }

    const TagFile& m_file;
    std::vector<std::string>& m_changes;
    std::vector<OutTag> m_prelude;  // comments before the first section
    std::vector<OutSection> m_sections;
    std::deque<std::string> m_texts;  // values made here; a deque keeps them in place
    int m_open = -1;                  // the section being read
    int m_lastClosed = -1;
    bool m_inTable = false;
    bool m_skipTable = false;  // a table past the limit, dropped up to its ENDTAB
    int m_tables = 0;
    bool m_inBlock = false;
    std::string_view m_blockOwner;  // the open block's owner and layer, for a supplied ENDBLK
    std::string_view m_blockLayer;
    uint64_t m_seed = 1;
    bool m_handles = false;  // the drawing gives its records handles
};

// The number a damaged numeric value starts with ("1.5" of "1.5.5"), or 0
// when it starts with none; for binary data, the hexadecimal digits it starts
// with, or none.
std::string leadingNumber(int code, std::string_view value) {
    const std::string_view t = trimmed(value);
    const char* end = t.data() + t.size();
    const ValueKind kind = valueKind(code);
    if (kind == ValueKind::Binary) {
        // Binary data keeps the hexadecimal digits it starts with, if any.
        size_t digits = 0;
        while (digits < t.size() && std::isxdigit(static_cast<unsigned char>(t[digits]))) {
            ++digits;
        }
        return std::string(t.substr(0, digits));
    }
    if (kind == ValueKind::Double) {
        double d = 0;
        const auto r = std::from_chars(t.data(), end, d);
        return r.ec == std::errc() && r.ptr != t.data() ? formatDouble(d) : "0.0";
    }
    int64_t i = 0;
    const auto r = std::from_chars(t.data(), end, i);
    const bool fits =
        kind == ValueKind::Int16 || kind == ValueKind::Bool
            ? i >= -32768 && i <= 65535
            : kind != ValueKind::Int32 || (i >= INT32_MIN && i <= int64_t(UINT32_MAX));
    return r.ec == std::errc() && r.ptr != t.data() && fits ? std::to_string(i) : "0";
}

// A tag's value; one that does not read as its group code requires is read
// as the number it starts with, else as 0.
std::string_view Mender::checked(uint32_t index) {
    const TagRef tag = m_file.tag(index);
    if (const char* why = checkValue(tag.code, tag.value)) {
        const std::string_view read = keep(leadingNumber(tag.code, tag.value));
        note(index, "value \"" + shown(tag.value) + "\" of group code " + std::to_string(tag.code) +
                        " " + why + "; it is read as " +
                        (read.empty() ? std::string("no data") : std::string(read)));
        return read;
    }
    return tag.value;
}

void Mender::append(uint32_t first, uint32_t end) {
    auto& tags = m_sections[size_t(m_open)].tags;
    for (uint32_t k = first; k < end; ++k) {
        tags.push_back(OutTag{m_file.tag(k).code, checked(k)});
    }
}

void Mender::openSection(uint32_t first, uint32_t end) {
    OutSection section;
    for (uint32_t k = first + 1; k < end; ++k) {
        if (m_file.tag(k).code == 2) {
            section.name = brevant::text::upper(m_file.tag(k).value);
            break;
        }
    }
    m_sections.push_back(std::move(section));
    m_open = int(m_sections.size() - 1);
    append(first, end);
}

void Mender::closeTable(uint32_t at) {
    if (m_inTable) {
        note(at, "a table without ENDTAB; ENDTAB supplied");
        m_sections[size_t(m_open)].tags.push_back(OutTag{0, "ENDTAB"});
        m_inTable = false;
    }
}

void Mender::closeBlock(uint32_t at) {
    if (!m_inBlock) {
        return;
    }
    note(at, "a block without ENDBLK; ENDBLK supplied");
    auto& tags = m_sections[size_t(m_open)].tags;
    tags.push_back(OutTag{0, "ENDBLK"});
    if (m_handles) {
        tags.push_back(OutTag{5, keep(formatHandle(m_seed++))});
        if (!m_blockOwner.empty()) {
            tags.push_back(OutTag{330, m_blockOwner});
        }
        tags.push_back(OutTag{100, "AcDbEntity"});
    }
    tags.push_back(OutTag{8, m_blockLayer.empty() ? std::string_view("0") : m_blockLayer});
    if (m_handles) {
        tags.push_back(OutTag{100, "AcDbBlockEnd"});
    }
    m_inBlock = false;
}

void Mender::closeSection(uint32_t at, bool supplied) {
    m_skipTable = false;
    closeTable(at);
    closeBlock(at);
    if (supplied) {
        note(at, "a section without ENDSEC; ENDSEC supplied");
        OutSection& section = m_sections[size_t(m_open)];
        section.endsec = section.tags.size();
        section.tags.push_back(OutTag{0, "ENDSEC"});
    }
    m_lastClosed = m_open;
    m_open = -1;
}

// A record outside any section: into the section before it when that holds
// entities or objects, else dropped.
void Mender::stray(uint32_t first, uint32_t end, std::string_view type) {
    const bool structural = type == "SECTION" || type == "ENDSEC" || type == "TABLE" ||
                            type == "ENDTAB" || type == "BLOCK" || type == "ENDBLK" ||
                            type == "CLASS";
    if (!structural && m_lastClosed >= 0) {
        OutSection& section = m_sections[size_t(m_lastClosed)];
        if (section.name == "ENTITIES" || section.name == "OBJECTS") {
            note(first, "\"" + shown(type) + "\" outside a section; moved into " + section.name);
            // Before the section's ENDSEC, which may carry tags of its own.
            std::vector<OutTag> moved;
            for (uint32_t k = first; k < end; ++k) {
                moved.push_back(OutTag{m_file.tag(k).code, checked(k)});
            }
            section.tags.insert(section.tags.begin() + long(section.endsec), moved.begin(),
                                moved.end());
            section.endsec += moved.size();
            return;
        }
    }
    note(first, "\"" + shown(type) + "\" outside a section; dropped");
}

void Mender::run() {
    const uint32_t count = m_file.tagCount();
    // Handles: new ones (for a supplied ENDBLK) start above every handle and
    // the seed, whose header tag has the same group code.
    for (uint32_t k = 0; k < count; ++k) {
        const TagRef tag = m_file.tag(k);
        uint64_t h = 0;
        if ((tag.code == 5 || tag.code == 105) && parseHandle(tag.value, h) && h >= m_seed) {
            m_seed = h + 1;
            m_handles = true;
        }
    }
    uint32_t i = 0;
    while (i < count && m_file.tag(i).code != 0) {
        if (m_file.tag(i).code == 999) {
            m_prelude.push_back(OutTag{999, m_file.tag(i).value});
        } else {
            note(i, "a tag before the first record; dropped");
        }
        ++i;
    }
    bool ended = false;
    while (i < count && !ended) {
        uint32_t end = i + 1;
        while (end < count && m_file.tag(end).code != 0) {
            ++end;
        }
        const std::string_view type = m_file.tag(i).value;
        const std::string name = m_open >= 0 ? m_sections[size_t(m_open)].name : std::string();
        if (type == "EOF") {
            if (m_open >= 0) {
                closeSection(i, true);
            }
            ended = true;
        } else if (type == "SECTION") {
            if (m_open >= 0) {
                closeSection(i, true);
            }
            if (end > i + 1 && m_file.tag(i + 1).code == 2) {
                openSection(i, end);
            } else {
                note(i, "a section without a name (group code 2); dropped");
            }
        } else if (type == "ENDSEC") {
            if (m_open < 0) {
                note(i, "ENDSEC outside a section; dropped");
            } else if (name == "HEADER" && end > i + 1 && m_file.tag(i + 1).code == 9) {
                note(i, "ENDSEC inside the HEADER section; dropped");
                append(i + 1, end);
            } else {
                closeTable(i);
                closeBlock(i);
                m_sections[size_t(m_open)].endsec = m_sections[size_t(m_open)].tags.size();
                append(i, end);
                closeSection(i, false);
            }
        } else if (m_open < 0) {
            stray(i, end, type);
        } else if (name == "TABLES") {
            if (type == "TABLE") {
                closeTable(i);
                if (m_tables < kMaxTables) {
                    append(i, end);
                    m_inTable = true;
                    ++m_tables;
                } else {
                    note(i, "a table beyond the first " + std::to_string(kMaxTables) +
                                "; dropped with its records");
                    m_skipTable = true;
                }
            } else if (m_skipTable) {
                m_skipTable = type != "ENDTAB";
            } else if (type == "ENDTAB") {
                if (m_inTable) {
                    append(i, end);
                    m_inTable = false;
                } else {
                    note(i, "ENDTAB outside a table; dropped");
                }
            } else if (m_inTable) {
                append(i, end);
            } else {
                note(i, "\"" + shown(type) + "\" outside a table; dropped");
            }
        } else if (name == "BLOCKS") {
            if (type == "BLOCK") {
                closeBlock(i);
                append(i, end);
                m_inBlock = true;
                m_blockOwner = m_blockLayer = {};
                for (uint32_t k = i + 1; k < end; ++k) {
                    const TagRef tag = m_file.tag(k);
                    if (tag.code == 330 && m_blockOwner.empty()) {
                        m_blockOwner = tag.value;
                    } else if (tag.code == 8 && m_blockLayer.empty()) {
                        m_blockLayer = tag.value;
                    }
                }
            } else if (type == "ENDBLK") {
                if (m_inBlock) {
                    append(i, end);
                    m_inBlock = false;
                } else {
                    note(i, "ENDBLK outside a block; dropped");
                }
            } else if (m_inBlock) {
                append(i, end);
            } else {
                note(i, "\"" + shown(type) + "\" outside a block definition; dropped");
            }
        } else {
            append(i, end);
        }
        i = end;
    }
    if (!ended) {
        if (m_open >= 0) {
            closeSection(count - 1, true);
        }
        note(count - 1, "no EOF record; EOF supplied");
    }
}

void Mender::write(std::vector<char>& out) const {
    TagWriter writer(out, m_file.format());
    for (const OutTag& tag : m_prelude) {
        writer.write(tag.code, tag.value);
    }
    for (const OutSection& section : m_sections) {
        for (const OutTag& tag : section.tags) {
            writer.write(tag.code, tag.value);
        }
    }
    writer.write(0, "EOF");
    writer.flush();
}

}  // namespace

bool recoverTags(std::vector<char>&& file, std::vector<char>& mended,
                 std::vector<std::string>& changes, std::string& error) {
    TagFile tags;
    if (!tags.parse(std::move(file), error, &changes)) {
        return false;
    }
    if (tags.tagCount() == 0 || tags.tag(0).code != 0) {
        // Nothing that starts a record: no drawing to recover.
        bool anyRecord = false;
        for (uint32_t k = 0; k < tags.tagCount() && !anyRecord; ++k) {
            anyRecord = tags.tag(k).code == 0;
        }
        if (!anyRecord) {
            error = "the file holds no DXF record (no group code 0)";
            return false;
        }
    }
    Mender mender(tags, changes);
    mender.run();
    mended.clear();
    mender.write(mended);
    return true;
}

}  // namespace brevant::dxf
