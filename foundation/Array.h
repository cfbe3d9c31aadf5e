#pragma once
// Growable array with index-checked access.
#include "foundation/WString.h"
#include "foundation/InternalFault.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

namespace array_detail {

// An index fault is a programming error: it is shown and the program goes on.
inline void ReportIndex(const wchar_t* format, int index, int size) {
    WString text;
    text.Format(format, index, size);
    ShowInternalFault(text);
}

} // namespace array_detail

// Elements are relocated with a plain byte copy when the storage grows, so T must tolerate being
// moved bitwise (WString and records of plain fields and WStrings do). New slots are zeroed before
// their element is constructed. GetAt returns a default element and SetAt ignores the write when
// the index is out of range. A failed allocation leaves the array as it was (Add then returns -1).
template <class T> class Array {
public:
    Array() = default;
    Array(const Array& other) { *this = other; }
    ~Array() { RemoveAll(); }

    Array& operator=(const Array& other) {
        if (this == &other) return *this;
        SetSize(other.size);
        for (int i = 0; i < size; ++i) data[i] = other.data[i];
        return *this;
    }

    int GetSize() const { return size; }
    int GetCapacity() const { return capacity; }

    void SetSize(int n) {
        n = std::max(n, 0);
        if (n == 0) {
            Destroy(0, size);
            std::free(data);
            data = nullptr;
            size = 0;
            capacity = 0;
        } else if (!data) {
            data = AllocateSlots(n);
            if (!data) return;
            Construct(0, n);
            size = capacity = n;
        } else if (n > capacity) {
            int increment = growBy ? growBy : std::clamp(size / 8, 4, 1024);
            int newCapacity = static_cast<int>(std::clamp(1LL * capacity + increment, 1LL * n, 0x7FFFFFFFLL));
            T* fresh = AllocateSlots(newCapacity);
            if (!fresh) return;
            // The live elements move: the old storage is freed without destroying them.
            std::memcpy(static_cast<void*>(fresh), static_cast<const void*>(data), sizeof(T) * size);
            std::free(data);
            data = fresh;
            capacity = newCapacity;
            Construct(size, n);
            size = n;
        } else if (n < size) {
            Destroy(n, size);
            size = n;
        } else {
            Construct(size, n);
            size = n;
        }
    }

    int Add(const T& element) {
        int index = size;
        SetSize(size + 1);
        if (size == index) return -1;
        data[index] = element;
        return index;
    }

    T GetAt(int index) const {
        if (index < 0 || index >= size) {
            array_detail::ReportIndex(L"Array::GetAt index (%d) out of range (%d)", index, size);
            return T();
        }
        return data[index];
    }

    // Read access without a copy, checked as GetAt; an index out of range gives a default element.
    const T& operator[](int index) const {
        if (index < 0 || index >= size) {
            array_detail::ReportIndex(L"Array::GetAt index (%d) out of range (%d)", index, size);
            static const T empty{};
            return empty;
        }
        return data[index];
    }

    // Write access in place, checked as SetAt; an index out of range gives a scratch element whose
    // changes go nowhere.
    T& ElementAt(int index) {
        if (index < 0 || index >= size) {
            array_detail::ReportIndex(L"Array::SetAt index (%d) out of range (%d)", index, size);
            static T scratch;
            scratch = T();
            return scratch;
        }
        return data[index];
    }

    void SetAt(int index, const T& element) {
        if (index < 0 || index >= size) {
            array_detail::ReportIndex(L"Array::SetAt index (%d) out of range (%d)", index, size);
            return;
        }
        data[index] = element;
    }

    void RemoveAll() { SetSize(0); }

private:
    static T* AllocateSlots(int count) {
        return static_cast<T*>(std::malloc(sizeof(T) * static_cast<size_t>(count)));
    }

    void Construct(int from, int to) {
        std::memset(static_cast<void*>(data + from), 0, sizeof(T) * (to - from));
        for (int i = from; i < to; ++i) new (data + i) T();
    }

    void Destroy(int from, int to) {
        for (int i = from; i < to; ++i) data[i].~T();
    }

    T* data = nullptr;
    int size = 0;
    int capacity = 0;
    int growBy = 0;
};
