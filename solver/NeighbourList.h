#pragma once

#include <maya/MVector.h>

#include <cstddef>
#include <cstdint>
#include <vector>

/// The working state of one k-nearest query: the candidates found so far as
/// parallel arrays, in the order they were inserted or overwritten (not
/// sorted), each with a copy of its position so that callers need not look
/// it up again. Each thread owns one and reuses it, so that a query allocates
/// nothing once the arrays have grown to k.
class NeighbourList
{
public:
    /// Empties the list for a query of k neighbours.
    void Reset(int k)
    {
        indices.clear();
        squaredDistances.clear();
        positions.clear();
        k_ = k;
        worst_ = -1.0;
        worstSlot_ = 0;
    }

    /// True while the list holds fewer than k entries, with both counts read
    /// as unsigned 32-bit numbers: a negative k then never fills up.
    bool HasRoomUnsigned() const
    {
        return static_cast<std::uint32_t>(indices.size()) < static_cast<std::uint32_t>(k_);
    }

    /// As HasRoomUnsigned with a signed comparison: a negative k has no room.
    bool HasRoomSigned() const { return static_cast<std::int64_t>(indices.size()) < k_; }

    /// The largest squared distance held; -1.0 while the list is empty.
    double Worst() const { return worst_; }

    /// Offers particle j at position p, squared distance d2. hasRoom: whether the list
    /// still takes entries (HasRoomUnsigned or HasRoomSigned). When full, j
    /// replaces the first entry of the largest distance only if that distance
    /// is strictly larger than d2.
    void Offer(std::int32_t j, double d2, const double (&p)[3], bool hasRoom)
    {
        if (hasRoom)
        {
            // Strictly greater keeps the first of several equal maxima.
            if (d2 > worst_)
            {
                worst_ = d2;
                worstSlot_ = indices.size();
            }
            if (prefetch != nullptr)
                __builtin_prefetch(prefetch + j);
            indices.push_back(j);
            squaredDistances.push_back(d2);
            positions.emplace_back(p[0], p[1], p[2]);
            return;
        }
        if (!(worst_ > d2))
            return;
        if (prefetch != nullptr)
            __builtin_prefetch(prefetch + j);
        indices[worstSlot_] = j;
        squaredDistances[worstSlot_] = d2;
        positions[worstSlot_] = MVector(p[0], p[1], p[2]);
        FindWorst();
    }

    std::size_t Size() const { return indices.size(); }

    std::vector<std::int32_t> indices;    ///< particle indices
    std::vector<double> squaredDistances; ///< squared distance of each entry, exact
    std::vector<MVector> positions;       ///< position of each entry
    /// Per-particle data the caller reads for each neighbour afterwards;
    /// fetched into cache as candidates arrive, so the reads do not stall.
    const MVector* prefetch = nullptr;

private:
    void FindWorst()
    {
        worst_ = -1.0;
        for (std::size_t s = 0; s < squaredDistances.size(); ++s)
        {
            if (squaredDistances[s] > worst_)
            {
                worst_ = squaredDistances[s];
                worstSlot_ = s;
            }
        }
    }

    int k_ = 0;
    double worst_ = -1.0;
    std::size_t worstSlot_ = 0;
};
