// A growable array with the editor's interface (length, append, at, ...).
#pragma once

#include <vector>

template <class T>
class AcArray {
public:
    AcArray() = default;
    explicit AcArray(int initPhysicalLength, int /*initGrowLength*/ = 8) {
        m_items.reserve(size_t(initPhysicalLength > 0 ? initPhysicalLength : 0));
    }

    int length() const { return int(m_items.size()); }
    int logicalLength() const { return int(m_items.size()); }
    bool isEmpty() const { return m_items.empty(); }
    int append(const T& value) {
        m_items.push_back(value);
        return int(m_items.size()) - 1;
    }
    T& at(int i) { return m_items.at(size_t(i)); }
    const T& at(int i) const { return m_items.at(size_t(i)); }
    T& operator[](int i) { return m_items[size_t(i)]; }
    const T& operator[](int i) const { return m_items[size_t(i)]; }
    T& first() { return m_items.front(); }
    T& last() { return m_items.back(); }
    bool contains(const T& value) const { return find(value) >= 0; }
    int find(const T& value) const {
        for (size_t i = 0; i < m_items.size(); ++i) {
            if (m_items[i] == value) {
                return int(i);
            }
        }
        return -1;
    }
    AcArray& removeAt(int i) {
        m_items.erase(m_items.begin() + i);
        return *this;
    }
    AcArray& removeAll() {
        m_items.clear();
        return *this;
    }
    AcArray& setLogicalLength(int n) {
        m_items.resize(size_t(n > 0 ? n : 0));
        return *this;
    }
    typename std::vector<T>::iterator begin() { return m_items.begin(); }
    typename std::vector<T>::iterator end() { return m_items.end(); }
    typename std::vector<T>::const_iterator begin() const { return m_items.begin(); }
    typename std::vector<T>::const_iterator end() const { return m_items.end(); }

private:
    std::vector<T> m_items;
};
