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
        if (!inGroup) {
            m_index.push_back(Entry{int16_t(code), uint32_t(k)});
        }
    }
    m_mainEnd = uint32_t(k < m_tags.size() ? k : m_tags.size());
    // Sorted by code, and within a code by position; then the first of each.
    std::stable_sort(m_index.begin(), m_index.end(),
                     [](const Entry& a, const Entry& b) { return a.code < b.code; });
    m_index.erase(std::unique(m_index.begin(), m_index.end(),
                              [](const Entry& a, const Entry& b) { return a.code == b.code; }),
                  m_index.end());
    m_indexed = true;
}

size_t TagList::mainEnd() const {
    if (!m_indexed) {
        buildIndex();
    }
    return m_mainEnd;
}

void TagList::changed(bool mayMoveName) {
    m_indexed = false;
    if (mayMoveName && m_watcher != nullptr) {
        m_watcher->nameMayHaveChanged();
    }
}

void TagList::setValue(size_t k, std::string_view value) {
    m_tags[k].value.assign(value.data(), value.size());
    // Positions depend on codes alone, except that an application group's
    // brace decides which tags are in the main data.
    const int code = m_tags[k].code;
    if (code == 102) {
        changed(true);
    } else if (code == 2 && m_watcher != nullptr) {
        m_watcher->nameMayHaveChanged();
    }
}

void TagList::insert(size_t at, OwnedTag tag) {
    m_tags.insert(m_tags.begin() + long(at), std::move(tag));
    changed(true);
}

void TagList::insert(size_t at, const_iterator first, const_iterator last) {
    m_tags.insert(m_tags.begin() + long(at), first, last);
    changed(true);
}

void TagList::insert(size_t at, std::initializer_list<OwnedTag> tags) {
    m_tags.insert(m_tags.begin() + long(at), tags);
    changed(true);
}

void TagList::erase(size_t first, size_t last) {
    m_tags.erase(m_tags.begin() + long(first), m_tags.begin() + long(last));
    changed(true);
}

void TagList::push_back(OwnedTag tag) {
    m_tags.push_back(std::move(tag));
    changed(true);
}

void TagList::pop_back() {
    m_tags.pop_back();
    changed(true);
}

void TagList::truncate(size_t count) {
    if (count < m_tags.size()) {
        m_tags.resize(count);
        changed(true);
    }
}

void TagList::assign(Tags tags) {
    m_tags = std::move(tags);
    changed(true);
}

TagList& TagList::operator=(std::initializer_list<OwnedTag> tags) {
    m_tags = tags;
    changed(true);
    return *this;
}

}  // namespace brevant::db
