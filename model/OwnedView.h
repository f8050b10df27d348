#pragma once

#include <cstddef>
#include <iterator>
#include <memory>
#include <vector>

// A list of owned objects seen through plain pointers whose constness is the
// view's: a const list hands out const objects only, so that reading the
// annotations can never change them.
template <class T, class Owned>
class OwnedView {
public:
    using Storage = std::vector<std::unique_ptr<Owned>>;

    class Iterator {
    public:
        using iterator_category = std::random_access_iterator_tag;
        using value_type = T*;
        using difference_type = std::ptrdiff_t;
        using pointer = T**;
        using reference = T*;

        Iterator() = default;
        explicit Iterator(typename Storage::const_iterator at) : m_at(at) {}
        T* operator*() const { return m_at->get(); }
        Iterator& operator++()
        {
            ++m_at;
            return *this;
        }
        Iterator operator++(int)
        {
            Iterator before = *this;
            ++m_at;
            return before;
        }
        difference_type operator-(const Iterator& other) const { return m_at - other.m_at; }
        bool operator==(const Iterator&) const = default;

    private:
        typename Storage::const_iterator m_at;
    };

    explicit OwnedView(const Storage& storage) : m_storage(&storage) {}

    std::size_t size() const { return m_storage->size(); }
    bool empty() const { return m_storage->empty(); }
    T* operator[](std::size_t index) const { return (*m_storage)[index].get(); }
    T* front() const { return m_storage->front().get(); }
    T* back() const { return m_storage->back().get(); }
    Iterator begin() const { return Iterator(m_storage->begin()); }
    Iterator end() const { return Iterator(m_storage->end()); }

private:
    const Storage* m_storage;
};
