// The tag layer of the drawing store: a DXF file is a sequence of tags, each a
// group code and a value. In a text file they are a group-code line and a
// value line; in a binary DXF file (one that starts with the "AutoCAD Binary
// DXF" sentinel) a little-endian group code and a value whose form the code
// gives. The reader keeps the whole file in memory and refers to each value
// by offset, so loading a text file allocates nothing per tag; a binary
// file's values are kept as the text a text file would hold. The writer
// streams tags, in the form of the file they came from, into a file that the
// platform replaces whole.
#pragma once

#include <brevant/files.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace brevant::dxf {

// A tag of the loaded file: its value is bytes [offset, offset + length) of the
// file buffer, without the line ending. Eight bytes, as a drawing has
// millions: a value of kLongValue bytes or more keeps its length in a list of
// its own.
struct Tag {
    uint32_t offset;
    uint16_t shortLength;
    int16_t code;
};
constexpr uint16_t kLongValue = 0xFFFF;

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

// Why a value does not read as its group code requires ("is not a real
// number"), or NULL when it does. Values of handle groups are not checked:
// other writers put names or nothing there, and the store keeps them as read.
const char* checkValue(int code, std::string_view value);
// File content quoted in a message: printable characters as they are, other
// bytes as \xNN, cut after 40 characters with "...".
std::string shown(std::string_view text);

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

// How a file holds its tags, so that a drawing is saved in the form it was
// read in.
struct TagFormat {
    bool binary = false;
    bool shortCodes = false;          // binary: one-byte group codes (release 12)
    std::string lineEnding = "\r\n";  // text: "\r\n", "\n" or "\r"
};

// The sentinel that starts a binary DXF file.
constexpr std::string_view kBinarySentinel{"AutoCAD Binary DXF\r\n\x1a\0", 22};

// The tags of one file, text or binary. In a text file tag i starts on line
// 2i + 1.
class TagFile : public TagSource {
public:
    // Splits the buffer into tags. On failure returns false and sets error to
    // a text that names the place ("line 12: ...", "byte 4096: ...").
    //
    // With `mended` given the reader is lenient, for recovering damaged
    // files: values are not checked, a tag whose group code is unreadable is
    // dropped and a file that ends early ends there; each such change is
    // appended to `mended` as "line 12: ...". It fails only on a file that
    // holds no tag at all.
    bool parse(std::vector<char>&& buffer, std::string& error,
               std::vector<std::string>* mended = nullptr);

    const std::vector<Tag>& tags() const { return m_tags; }
    std::string_view value(const Tag& tag) const {
        return std::string_view(m_buffer.data() + tag.offset,
                                tag.shortLength != kLongValue ? tag.shortLength : longLength(tag));
    }

    uint32_t tagCount() const override { return uint32_t(m_tags.size()); }
    TagRef tag(uint32_t index) const override {
        return TagRef{m_tags[index].code, value(m_tags[index])};
    }
    // "line <n>" in a text file, "byte <n>" in a binary one.
    std::string where(uint32_t index) const override;
    const TagFormat& format() const { return m_format; }

private:
    bool parseText(std::string& error, std::vector<std::string>* mended);
    bool parseBinary(std::string& error, std::vector<std::string>* mended);
    void addTag(size_t offset, size_t length, int code) {
        if (length >= kLongValue) {
            m_longValues.emplace_back(uint32_t(offset), uint32_t(length));
        }
        m_tags.push_back(Tag{uint32_t(offset), uint16_t(length < kLongValue ? length : kLongValue),
                             int16_t(code)});
    }
    uint32_t longLength(const Tag& tag) const;

    std::vector<char> m_buffer;
    std::vector<Tag> m_tags;
    // Offset and length of each value of kLongValue bytes or more, by offset.
    std::vector<std::pair<uint32_t, uint32_t>> m_longValues;
    std::vector<uint32_t> m_places;  // binary: each tag's byte offset in the file
    TagFormat m_format;
};

// Streams tags in a file's form, through one buffer, into a file being
// replaced or into memory. Errors are sticky: after the first failed write
// the writer writes nothing more and error() is the Windows error code of
// that write.
class TagWriter {
public:
    TagWriter(brevant::platform::AtomicFileWriter& file, const TagFormat& format);
    TagWriter(std::vector<char>& memory, const TagFormat& format);
    void write(int code, std::string_view value);
    // Writes what the buffer holds; the file's error code, ERROR_SUCCESS when
    // every tag was written.
    unsigned long flush();
    bool ok() const { return m_error == 0; }
    unsigned long error() const { return m_error; }

private:
    void writeText(int code, std::string_view value);
    void writeBinary(int code, std::string_view value);
    void writeBinaryCode(int code);
    void put(const char* data, size_t size);
    void drain();

    brevant::platform::AtomicFileWriter* m_file = nullptr;
    std::vector<char>* m_memory = nullptr;
    TagFormat m_format;
    std::vector<char> m_buffer;
    size_t m_used = 0;
    unsigned long m_error = 0;
    bool m_started = false;
};

}  // namespace brevant::dxf
