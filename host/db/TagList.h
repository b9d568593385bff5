// The tags of an opened object, with an index of its main data.
//
// Every property the editor reads (a text's position, an attribute's flags, a
// record's name) is the first tag of some group code in the object's main
// data: before extended data (1001) or an embedded object (101) begins, and
// outside application groups (102). The index holds the first position of
// each such code, so a lookup does not walk the tags. It is made on the first
// lookup and dropped by any change that can move it; every change goes
// through this class, which is why the tags are not an open vector.
#pragma once

#include "../dxf/DxfTags.h"

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <vector>

namespace brevant::db {

class TagList {
public:
    using Tags = std::vector<dxf::OwnedTag>;
    using const_iterator = Tags::const_iterator;

    // Told of a change to the value of the main data's first name tag (group
    // 2), or of a change that may have moved it.
    class Watcher {
    public:
        virtual void nameMayHaveChanged() = 0;

    protected:
        ~Watcher() = default;
    };

    TagList() = default;
    TagList(std::initializer_list<dxf::OwnedTag> tags) : m_tags(tags) {}
    TagList(const TagList&) = delete;
    TagList& operator=(const TagList&) = delete;

    void setWatcher(Watcher* watcher) { m_watcher = watcher; }

    // Reading.
    size_t size() const { return m_tags.size(); }
    bool empty() const { return m_tags.empty(); }
    const dxf::OwnedTag& operator[](size_t k) const { return m_tags[k]; }
    const_iterator begin() const { return m_tags.begin(); }
    const_iterator end() const { return m_tags.end(); }
    const Tags& all() const { return m_tags; }

    // The position of the first tag of the code in the main data; -1 when
    // there is none.
    int find(int code) const {
        if (!m_indexed) {
            buildIndex();
        }
        const auto it = std::lower_bound(m_index.begin(), m_index.end(), code,
                                         [](const Entry& e, int c) { return e.code < c; });
        return (it != m_index.end() && it->code == code) ? int(it->position) : -1;
    }
    // Where the main data ends: the first extended data (1001) or embedded
    // object (101) tag after the type, or the end.
    size_t mainEnd() const;

    // Changing.
    void setValue(size_t k, std::string_view value);
    void insert(size_t at, dxf::OwnedTag tag);
    void insert(size_t at, const_iterator first, const_iterator last);
    void insert(size_t at, std::initializer_list<dxf::OwnedTag> tags);
    void erase(size_t first, size_t last);
    void push_back(dxf::OwnedTag tag);
    void pop_back();
    // Keeps the first `count` tags.
    void truncate(size_t count);
    void assign(Tags tags);
    TagList& operator=(std::initializer_list<dxf::OwnedTag> tags);

private:
    struct Entry {
        int16_t code;
        uint32_t position;
    };
    // After a change that can move positions: the index is made again on
    // the next lookup, and the watcher hears of it.
    void changed();
    void buildIndex() const;

    Tags m_tags;
    Watcher* m_watcher = nullptr;
    // Sorted by code: the first position of each code of the main data.
    mutable std::vector<Entry> m_index;
    mutable uint32_t m_mainEnd = 0;
    mutable bool m_indexed = false;
};

}  // namespace brevant::db
