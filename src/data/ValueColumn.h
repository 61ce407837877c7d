#pragma once

#include <algorithm>
#include <bit>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <limits>
#include <span>
#include <stdexcept>
#include <type_traits>
#include <utility>
#include <vector>

// One value per measurement point of a station, for the fields that are often the same at every point
// (the station number, the point code, the IP values a tagged file does not have): while all values are
// the same, the column holds that value and the count alone, whatever the number of points; the first
// appended value that differs turns it into a plain vector of all its values. Values are compared by
// their representation, so -0.0 after 0.0, or a NaN of another payload, is a different value.
// Written only at the end (push_back) or as a whole (assign); read by index or through const iterators.
template <class T> class ValueColumn {
    static_assert(std::is_trivially_copyable_v<T>, "a column holds plain numbers");

public:
    using value_type = T;
    using size_type = std::size_t;
    using difference_type = std::ptrdiff_t;

    // Random access over the values; a uniform column's iterators all refer to its one value.
    class const_iterator {
    public:
        using iterator_category = std::random_access_iterator_tag;
        using value_type = T;
        using difference_type = std::ptrdiff_t;
        using pointer = const T*;
        using reference = const T&;

        const_iterator() = default;

        const T& operator*() const { return column_->ref(index_); }
        const T* operator->() const { return &column_->ref(index_); }
        const T& operator[](difference_type n) const { return column_->ref(offset(n)); }

        const_iterator& operator++() {
            ++index_;
            return *this;
        }
        const_iterator operator++(int) {
            const_iterator before = *this;
            ++index_;
            return before;
        }
        const_iterator& operator--() {
            --index_;
            return *this;
        }
        const_iterator operator--(int) {
            const_iterator before = *this;
            --index_;
            return before;
        }
        const_iterator& operator+=(difference_type n) {
            index_ = offset(n);
            return *this;
        }
        const_iterator& operator-=(difference_type n) { return *this += -n; }
        friend const_iterator operator+(const_iterator it, difference_type n) { return it += n; }
        friend const_iterator operator+(difference_type n, const_iterator it) { return it += n; }
        friend const_iterator operator-(const_iterator it, difference_type n) { return it -= n; }
        friend difference_type operator-(const const_iterator& a, const const_iterator& b) {
            return static_cast<difference_type>(a.index_) - static_cast<difference_type>(b.index_);
        }
        friend bool operator==(const const_iterator& a, const const_iterator& b) {
            return a.index_ == b.index_;
        }
        friend std::strong_ordering operator<=>(const const_iterator& a, const const_iterator& b) {
            return a.index_ <=> b.index_;
        }

    private:
        friend class ValueColumn;
        const_iterator(const ValueColumn* column, size_type index) : column_(column), index_(index) {}
        size_type offset(difference_type n) const {
            return static_cast<size_type>(static_cast<difference_type>(index_) + n);
        }

        const ValueColumn* column_ = nullptr;
        size_type index_ = 0;
    };
    using iterator = const_iterator;

    ValueColumn() = default;
    ValueColumn(size_type count, const T& value) : count_(count), value_(value) {}
    ValueColumn(std::initializer_list<T> values) {
        for (const T& v : values)
            push_back(v);
    }
    explicit ValueColumn(const std::vector<T>& values) {
        for (const T& v : values)
            push_back(v);
    }

    size_type size() const { return count_; }
    bool empty() const { return count_ == 0; }
    // True while one value and a count stand for all values (also when the column is empty).
    bool isUniform() const { return values_.empty(); }
    // Heap memory the column holds, in bytes: none while it is uniform.
    size_type heapBytes() const { return values_.capacity() * sizeof(T); }

    // The values the column holds one by one: all of them once they differ, none while it is uniform
    // (then front() is every value). For passes over many columns that take a uniform one at once.
    std::span<const T> heldValues() const { return values_; }

    T operator[](size_type i) const { return ref(i); }
    T at(size_type i) const {
        if (i >= count_)
            throw std::out_of_range("ValueColumn::at");
        return ref(i);
    }
    T front() const { return ref(0); }
    T back() const { return ref(count_ - 1); }

    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, count_}; }
    const_iterator cbegin() const { return begin(); }
    const_iterator cend() const { return end(); }

    // `count` times `value`: uniform again, whatever the column held.
    void assign(size_type count, const T& value) {
        values_ = std::vector<T>();
        count_ = count;
        value_ = value;
    }

    void push_back(const T& value) {
        if (!values_.empty())
            values_.push_back(value);
        else if (count_ != 0 && !sameValue(value, value_)) [[unlikely]]
            spread(value);
        else
            value_ = value;
        ++count_;
    }

    // Room for `points` values once the column holds differing ones; a uniform column only remembers
    // the number (it needs no room), so that a column turned into a vector later grows only once.
    void reserve(size_type points) {
        if (values_.empty())
            reserved_ = static_cast<std::uint32_t>(
                std::min<size_type>(points, std::numeric_limits<std::uint32_t>::max()));
        else
            values_.reserve(points);
    }

    void clear() { assign(0, T{}); }

    std::vector<T> toVector() const { return values_.empty() ? std::vector<T>(count_, value_) : values_; }

    // Equal when of the same length with equal values (as ==, so NaN equals nothing), however each holds
    // them.
    friend bool operator==(const ValueColumn& a, const ValueColumn& b) {
        if (a.count_ != b.count_)
            return false;
        if (a.isUniform() && b.isUniform())
            return a.count_ == 0 || a.value_ == b.value_;
        return std::equal(a.begin(), a.end(), b.begin());
    }
    friend bool operator==(const ValueColumn& a, const std::vector<T>& b) {
        return a.count_ == b.size() && std::equal(a.begin(), a.end(), b.begin());
    }

private:
    // The first differing value: every earlier point gets its own copy of the common value. Defined
    // apart, so that the rest of push_back stays small enough to be inlined.
    void spread(const T& value);

    const T& ref(size_type i) const { return values_.empty() ? value_ : values_[i]; }

    static bool sameValue(const T& a, const T& b) {
        if constexpr (std::is_floating_point_v<T>) {
            static_assert(sizeof(T) == 4 || sizeof(T) == 8, "float or double");
            using Bits = std::conditional_t<sizeof(T) == 4, std::uint32_t, std::uint64_t>;
            return std::bit_cast<Bits>(a) == std::bit_cast<Bits>(b);
        } else {
            return a == b;
        }
    }

    std::vector<T> values_;      // every value, once they differ; empty while uniform
    size_type count_ = 0;        // number of values
    std::uint32_t reserved_ = 0; // the room asked for while uniform
    T value_{};                  // the common value while uniform
};

template <class T> void ValueColumn<T>::spread(const T& value) {
    std::vector<T> values;
    values.reserve(std::max<size_type>(reserved_, count_ + 1));
    values.assign(count_, value_);
    values.push_back(value);
    values_ = std::move(values);
}
