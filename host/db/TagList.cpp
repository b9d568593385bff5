#include "TagList.h"

#include <algorithm>

namespace brevant::db {

using dxf::OwnedTag;

void TagList::buildIndex() const {
    m_index.clear();
    bool inGroup = false;
    size_t k = 1;
    for (; k < m_tags.size(); ++k) {
        const int code = m_tags[k].code;
        if (code == 1001 || code == 101) {
            break;
        }
        if (code == 102) {
            inGroup = !m_tags[k].value.empty() && m_tags[k].value[0] == '{';
            continue;
        }
        if (inGroup) {
            continue;
        }
        // The first tag of each code is entered, in the order of the codes.
        const auto at = std::lower_bound(m_index.begin(), m_index.end(), code,
                                         [](const Entry& e, int c) { return e.code < c; });
        if (at == m_index.end() || at->code != code) {
            m_index.insert(at, Entry{int16_t(code), uint32_t(k)});
        }
    }
    m_mainEnd = uint32_t(k < m_tags.size() ? k : m_tags.size());  // no tags: 0
    m_indexed = true;
}

size_t TagList::mainEnd() const {
    if (!m_indexed) {
        buildIndex();
    }
    return m_mainEnd;
}

void TagList::changed() {
    m_indexed = false;
    if (m_watcher != nullptr) {
        m_watcher->nameMayHaveChanged();
    }
}

void TagList::setValue(size_t k, std::string_view value) {
    m_tags[k].value.assign(value.data(), value.size());
    // Positions depend on codes alone, except that an application group's
    // brace decides which tags are in the main data.
    const int code = m_tags[k].code;
    if (code == 102) {
        changed();
    } else if (code == 2 && m_watcher != nullptr) {
        m_watcher->nameMayHaveChanged();
    }
}

void TagList::insert(size_t at, OwnedTag tag) {
    m_tags.insert(m_tags.begin() + long(at), std::move(tag));
    changed();
}

void TagList::insert(size_t at, const_iterator first, const_iterator last) {
    m_tags.insert(m_tags.begin() + long(at), first, last);
    changed();
}

void TagList::insert(size_t at, std::initializer_list<OwnedTag> tags) {
    m_tags.insert(m_tags.begin() + long(at), tags);
    changed();
}

void TagList::erase(size_t first, size_t last) {
    m_tags.erase(m_tags.begin() + long(first), m_tags.begin() + long(last));
    changed();
}

void TagList::push_back(OwnedTag tag) {
    m_tags.push_back(std::move(tag));
    changed();
}

void TagList::pop_back() {
    m_tags.pop_back();
    changed();
}

void TagList::truncate(size_t count) {
    if (count < m_tags.size()) {
        m_tags.resize(count);
        changed();
    }
}

void TagList::assign(Tags tags) {
    m_tags = std::move(tags);
    changed();
}

TagList& TagList::operator=(std::initializer_list<OwnedTag> tags) {
    m_tags = tags;
    changed();
    return *this;
}

}  // namespace brevant::db
