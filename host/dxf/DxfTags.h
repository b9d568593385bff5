// The tag layer of the drawing store: a DXF file is a sequence of tags, each a
// group-code line and a value line. The reader keeps the whole file in memory
// and refers to each value by offset, so loading allocates nothing per tag; the
// writer streams tags into a file that the platform replaces whole.
#pragma once

#include <brevant/files.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace brevant::dxf {

// A tag of the loaded file: its value is bytes [offset, offset + length) of the
// file buffer, without the line ending.
struct Tag {
    uint32_t offset;
    uint32_t length;
    int16_t code;
};

// A tag that owns its value: tags of objects that were opened or created.
struct OwnedTag {
    int16_t code;
    std::string value;
};

// A tag seen through either store.
struct TagRef {
    int16_t code;
    std::string_view value;
};

// Tags in file order, from whatever reader: what the structure pass
// (DxfStructure.h) reads.
class TagSource {
public:
    virtual ~TagSource() = default;
    virtual uint32_t tagCount() const = 0;
    virtual TagRef tag(uint32_t index) const = 0;
    // Where a tag stands in its file, for messages: "line 12", "byte 4096".
    virtual std::string where(uint32_t index) const = 0;
};

// What kind of value a group code carries.
enum class ValueKind { String, Double, Int16, Int32, Int64, Bool, Handle, Binary, Invalid };
ValueKind valueKind(int code);

// Parsing values; each returns false when the text is no such value.
bool parseDouble(std::string_view text, double& value);
bool parseInt(std::string_view text, int64_t& value);
bool parseHandle(std::string_view text, uint64_t& value);
// Blanks that DXF readers allow around a value: spaces, tabs, and a carriage
// return left at the end of a line.
std::string_view trimmed(std::string_view text);
// The shortest text that reads back as the same double.
std::string formatDouble(double value);
std::string formatHandle(uint64_t handle);

// The tags of one file. Line numbers follow from positions: tag i of the file
// starts on line 2i + 1.
class TagFile : public TagSource {
public:
    // Splits the buffer into tags. On failure returns false and sets error to
    // a text that names the line ("line 12: ...").
    bool parse(std::vector<char>&& buffer, std::string& error);

    const std::vector<Tag>& tags() const { return m_tags; }
    std::string_view value(const Tag& tag) const {
        return std::string_view(m_buffer.data() + tag.offset, tag.length);
    }
    static uint32_t lineOf(uint32_t tagIndex) { return 2 * tagIndex + 1; }

    uint32_t tagCount() const override { return uint32_t(m_tags.size()); }
    TagRef tag(uint32_t index) const override {
        return TagRef{m_tags[index].code, value(m_tags[index])};
    }
    // "line <n>": the line of the tag's group code.
    std::string where(uint32_t index) const override;
    // The file's line ending: "\r\n" when its first line ends so, else "\n".
    const char* lineEnding() const { return m_crlf ? "\r\n" : "\n"; }

private:
    std::vector<char> m_buffer;
    std::vector<Tag> m_tags;
    bool m_crlf = true;
};

// Streams tags into a file being replaced, through one buffer. Errors are
// sticky: after the first failed write the writer writes nothing more and
// error() is the Windows error code of that write.
class TagWriter {
public:
    TagWriter(brevant::platform::AtomicFileWriter& file, const char* lineEnding);
    void write(int code, std::string_view value);
    // Writes what the buffer holds; the file's error code, ERROR_SUCCESS when
    // every tag was written.
    unsigned long flush();
    bool ok() const { return m_error == 0; }
    unsigned long error() const { return m_error; }

private:
    void put(const char* data, size_t size);
    void drain();

    brevant::platform::AtomicFileWriter& m_file;
    std::string m_lineEnding;
    std::vector<char> m_buffer;
    size_t m_used = 0;
    unsigned long m_error = 0;
};

}  // namespace brevant::dxf
