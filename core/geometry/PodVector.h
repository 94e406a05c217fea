#pragma once

// A growable array of trivially copyable elements that grows with realloc.
// The C library moves a large block by remapping its pages rather than
// copying it, so growing never holds the old and the new array at once: the
// peak memory of reading a large drawing stays near its final size.

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <new>
#include <type_traits>
#include <utility>

namespace pos {

template<typename T>
requires std::is_trivially_copyable_v<T>
class PodVector
{
public:
    PodVector() = default;
    ~PodVector() { std::free(m_data); }
    PodVector(const PodVector &other) { *this = other; }
    PodVector(PodVector &&other) noexcept { swap(other); }
    PodVector &operator=(const PodVector &other)
    {
        if (this != &other) {
            clear();
            reserve(other.m_size);
            if (other.m_size)
                std::memcpy(static_cast<void *>(m_data), other.m_data, other.m_size * sizeof(T));
            m_size = other.m_size;
        }
        return *this;
    }
    PodVector &operator=(PodVector &&other) noexcept
    {
        PodVector(std::move(other)).swap(*this);
        return *this;
    }

    void swap(PodVector &other) noexcept
    {
        std::swap(m_data, other.m_data);
        std::swap(m_size, other.m_size);
        std::swap(m_capacity, other.m_capacity);
    }

    void push_back(const T &value)
    {
        if (m_size == m_capacity)
            reserve(m_capacity < 16 ? 16 : m_capacity * 2);
        std::memcpy(static_cast<void *>(m_data + m_size), &value, sizeof(T));
        ++m_size;
    }

    void reserve(std::size_t capacity)
    {
        if (capacity <= m_capacity)
            return;
        if (capacity > static_cast<std::size_t>(-1) / sizeof(T))
            throw std::bad_alloc();
        void *grown = std::realloc(m_data, capacity * sizeof(T));
        if (!grown)
            throw std::bad_alloc();
        m_data = static_cast<T *>(grown);
        m_capacity = capacity;
    }

    void clear() { m_size = 0; }
    std::size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    T *data() { return m_data; }
    const T *data() const { return m_data; }
    T &operator[](std::size_t i) { return m_data[i]; }
    const T &operator[](std::size_t i) const { return m_data[i]; }
    T &back() { return m_data[m_size - 1]; }
    const T &back() const { return m_data[m_size - 1]; }
    T *begin() { return m_data; }
    T *end() { return m_data + m_size; }
    const T *begin() const { return m_data; }
    const T *end() const { return m_data + m_size; }

private:
    T *m_data = nullptr;
    std::size_t m_size = 0;
    std::size_t m_capacity = 0;
};

} // namespace pos
