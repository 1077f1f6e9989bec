#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

// Where two lists differ: after the items they share at their start and
// before those they share at their end. What an undo step keeps of a list.
struct TListStretch {
    std::size_t Start = 0;
    std::size_t End = 0;

    template <class T>
    static TListStretch Between(const std::vector<T>& A, const std::vector<T>& B)
    {
        TListStretch s;
        const std::size_t shorter = std::min(A.size(), B.size());
        while (s.Start < shorter && A[s.Start] == B[s.Start])
            ++s.Start;
        while (s.End < shorter - s.Start && A[A.size() - 1 - s.End] == B[B.size() - 1 - s.End])
            ++s.End;
        return s;
    }

    // The items of List inside the stretch, in a list of just their size.
    template <class T>
    std::vector<T> Inside(const std::vector<T>& List) const
    {
        return std::vector<T>(List.begin() + std::ptrdiff_t(Start), List.end() - std::ptrdiff_t(End));
    }

    // Replaces the stretch's items of List by Middle, in place: the items
    // outside it are moved, not copied.
    template <class T>
    void Splice(std::vector<T>& List, const std::vector<T>& Middle) const
    {
        List.erase(List.begin() + std::ptrdiff_t(Start), List.end() - std::ptrdiff_t(End));
        List.insert(List.begin() + std::ptrdiff_t(Start), Middle.begin(), Middle.end());
    }
};
