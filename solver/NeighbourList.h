#pragma once

#include "ArrayView.h"
#include "Prefetch.h"

#include <maya/MVector.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <type_traits>

/// The working state of one k-nearest query: the candidates found so far as
/// parallel arrays, in the order they were inserted or overwritten (not
/// sorted), each with a copy of its position so that callers need not look
/// it up again. Each thread owns one and reuses it: a query allocates nothing
/// once the arrays have grown to k.
class NeighbourList
{
public:
    /// Empties the list for a query of k neighbours.
    void Reset(int k)
    {
        size_ = 0;
        k_ = k;
        worst_ = -1.0;
        worstSlot_ = 0;
    }

    /// True while the list holds fewer than k entries, with both counts read
    /// as unsigned 32-bit numbers: a negative k then never fills up.
    bool HasRoomUnsigned() const
    {
        return static_cast<std::uint32_t>(size_) < static_cast<std::uint32_t>(k_);
    }

    /// As HasRoomUnsigned with a signed comparison: a negative k has no room.
    bool HasRoomSigned() const { return static_cast<std::int64_t>(size_) < k_; }

    /// The largest squared distance held; -1.0 while the list is empty.
    double Worst() const { return worst_; }

    /// Offers particle j at position p, squared distance d2, with the caller's
    /// rank for it (its place in the tree's leaf order). hasRoom: whether the
    /// list still takes entries (HasRoomUnsigned or HasRoomSigned). When
    /// full, j replaces the first entry of the largest distance only if that
    /// distance is strictly larger than d2.
    [[gnu::always_inline]] void Offer(std::int32_t j, std::int32_t rank, double d2, const double (&p)[3],
                                      bool hasRoom)
    {
        std::size_t slot = worstSlot_;
        if (hasRoom)
        {
            if (size_ == capacity_)
                Grow();
            slot = size_++;
            // Strictly greater keeps the first of several equal maxima.
            if (d2 > worst_)
            {
                worst_ = d2;
                worstSlot_ = slot;
            }
        }
        else if (!(worst_ > d2))
            return;
        if (prefetch != nullptr)
            Prefetch(prefetch + j);
        indices_[slot] = j;
        ranks_[slot] = rank;
        squaredDistances_[slot] = d2;
        positions_[slot] = MVector(p[0], p[1], p[2]);
        if (!hasRoom)
            FindWorst();
    }

    std::size_t Size() const { return size_; }
    /// Particle indices, in list order.
    ArrayView<std::int32_t> Indices() const { return {indices_.get(), size_}; }
    /// The ranks the entries were offered with.
    ArrayView<std::int32_t> Ranks() const { return {ranks_.get(), size_}; }
    /// The exact squared distance of each entry.
    ArrayView<double> SquaredDistances() const { return {squaredDistances_.get(), size_}; }
    /// The position of each entry.
    ArrayView<MVector> Positions() const { return {positions_.get(), size_}; }

    /// Per-particle data the caller reads for each neighbour afterwards;
    /// fetched into cache as candidates arrive, so the reads do not stall.
    const MVector* prefetch = nullptr;

private:
    void FindWorst()
    {
        // Selects rather than branches: which entry is the largest is as good
        // as random, and a mispredicted branch per entry costs more than the
        // scan.
        double worst = -1.0;
        std::size_t worstSlot = 0;
        for (std::size_t s = 0; s < size_; ++s)
        {
            const double d2 = squaredDistances_[s];
            const bool larger = d2 > worst;
            worstSlot = larger ? s : worstSlot;
            worst = larger ? d2 : worst;
        }
        worst_ = worst;
        worstSlot_ = worstSlot;
    }

    // Rare: kept out of line so that Offer stays small enough to inline.
    [[gnu::noinline]] void Grow()
    {
        const std::size_t capacity = capacity_ < 16 ? 16 : 2 * capacity_;
        auto grow = [&](auto& array)
        {
            using T = typename std::remove_reference_t<decltype(array)>::element_type;
            std::unique_ptr<T[]> bigger(new T[capacity]);
            for (std::size_t s = 0; s < size_; ++s)
                bigger[s] = array[s];
            array = std::move(bigger);
        };
        grow(indices_);
        grow(ranks_);
        grow(squaredDistances_);
        grow(positions_);
        capacity_ = capacity;
    }

    // Sized by hand rather than with push_back: an offer is the innermost
    // step of every query.
    std::unique_ptr<std::int32_t[]> indices_;
    std::unique_ptr<std::int32_t[]> ranks_;
    std::unique_ptr<double[]> squaredDistances_;
    std::unique_ptr<MVector[]> positions_;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
    int k_ = 0;
    double worst_ = -1.0;
    std::size_t worstSlot_ = 0;
};
