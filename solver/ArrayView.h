#pragma once
/// \file ArrayView.h
/// A read-only view of contiguous elements owned elsewhere: the plug-in's
/// sources are C++17, which has no std::span.

#include <cstddef>
#include <type_traits>

/// `size()` elements starting at `data()`, not owned. Made from a pointer and
/// a count, a built-in array, or any container with data() and size()
/// (std::vector, std::array); valid while the elements are.
template <typename T> class ArrayView
{
public:
    constexpr ArrayView() = default;
    constexpr ArrayView(const T* data, std::size_t size) : data_(data), size_(size) {}
    template <std::size_t N> constexpr ArrayView(const T (&array)[N]) : data_(array), size_(N) {}
    template <typename Container,
              typename = std::enable_if_t<
                  std::is_convertible_v<decltype(std::declval<const Container&>().data()), const T*>>>
    constexpr ArrayView(const Container& container) : data_(container.data()), size_(container.size())
    {
    }

    constexpr const T* data() const { return data_; }
    constexpr std::size_t size() const { return size_; }
    constexpr bool empty() const { return size_ == 0; }
    constexpr const T& operator[](std::size_t i) const { return data_[i]; }
    constexpr const T* begin() const { return data_; }
    constexpr const T* end() const { return data_ + size_; }

private:
    const T* data_ = nullptr;
    std::size_t size_ = 0;
};
