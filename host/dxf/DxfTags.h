// The tag layer of the drawing store: a DXF file is a sequence of tags, each a
// group-code line and a value line. The reader keeps the whole file in memory
// and refers to each value by offset, so loading allocates nothing per tag; the
// writer streams tags to a file through one buffer.
#pragma once

#include <cstdint>
#include <cstdio>
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
class TagFile {
public:
    // Splits the buffer into tags. On failure returns false and sets error to
    // a text that names the line ("line 12: ...").
    bool parse(std::vector<char>&& buffer, std::string& error);

    const std::vector<Tag>& tags() const { return m_tags; }
    std::string_view value(const Tag& tag) const {
        return std::string_view(m_buffer.data() + tag.offset, tag.length);
    }
    static uint32_t lineOf(uint32_t tagIndex) { return 2 * tagIndex + 1; }
    // The file's line ending: "\r\n" when its first line ends so, else "\n".
    const char* lineEnding() const { return m_crlf ? "\r\n" : "\n"; }
    size_t bufferSize() const { return m_buffer.size(); }

private:
    std::vector<char> m_buffer;
    std::vector<Tag> m_tags;
    bool m_crlf = true;
};

// Streams tags to a file. Errors are sticky: after the first failed write the
// writer writes nothing more and ok() is false.
class TagWriter {
public:
    TagWriter(std::FILE* file, const char* lineEnding);
    ~TagWriter();
    void write(int code, std::string_view value);
    bool flush();
    bool ok() const { return m_ok; }
    unsigned long error() const { return m_error; }

private:
    void put(const char* data, size_t size);
    bool drain();

    std::FILE* m_file;
    std::string m_lineEnding;
    std::vector<char> m_buffer;
    size_t m_used = 0;
    bool m_ok = true;
    unsigned long m_error = 0;
};

}  // namespace brevant::dxf
