// A monotone priority queue of cells by height (a radix heap): taking the lowest never goes back below
// what was last taken, which is how the priority flood uses its queue (a cell enters it only above the
// height being flooded). Heights are keyed by their bits in an order-keeping 32-bit form; an entry sits
// in the bucket of the highest bit where its key differs from the last key taken, and only the lowest
// non-empty bucket is ever sorted out, so each entry moves a few times at most instead of climbing a
// binary heap of the whole flood front.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <vector>

namespace brelvo::terrain::detail {

class RadixHeap {
  public:
    // The key of a height (not NaN): unsigned order equals the heights' order.
    static std::uint32_t keyOf(float z) {
        std::uint32_t bits = 0;
        std::memcpy(&bits, &z, sizeof bits);
        return (bits & 0x80000000u) ? ~bits : bits | 0x80000000u;
    }

    // The height of a key.
    static float heightOf(std::uint32_t key) {
        const std::uint32_t bits = (key & 0x80000000u) ? key & 0x7fffffffu : ~key;
        float z = 0;
        std::memcpy(&z, &bits, sizeof z);
        return z;
    }

    bool empty() const { return size_ == 0; }
    std::size_t size() const { return size_; }

    // `key` must not be below the last key taken.
    void push(std::uint32_t key, std::uint32_t cell) {
        buckets_[bucketOf(key)].push_back({key, cell});
        ++size_;
    }

    // The cell of the lowest key (any of them on a tie), and that key; the heap must not be empty.
    std::uint32_t pop(std::uint32_t& key) {
        if (buckets_[0].empty()) {
            std::size_t i = 1;
            while (buckets_[i].empty()) ++i;
            std::uint32_t lowest = buckets_[i].front().key;
            for (const Entry& e : buckets_[i]) lowest = e.key < lowest ? e.key : lowest;
            last_ = lowest;
            for (const Entry& e : buckets_[i]) buckets_[bucketOf(e.key)].push_back(e);
            // A large bucket lets its memory go once sorted out: the entries have moved to the buckets
            // below, and buckets that each keep their largest size would hold the front several times
            // over.
            if (buckets_[i].capacity() > kKeptEntries) {
                std::vector<Entry>().swap(buckets_[i]);
            } else {
                buckets_[i].clear();
            }
        }
        const std::uint32_t cell = buckets_[0].back().cell;
        key = buckets_[0].back().key;
        buckets_[0].pop_back();
        --size_;
        return cell;
    }

  private:
    static constexpr std::size_t kKeptEntries = 4096;
    struct Entry {
        std::uint32_t key;
        std::uint32_t cell;
    };
    std::size_t bucketOf(std::uint32_t key) const {
        return key == last_ ? 0 : static_cast<std::size_t>(32 - std::countl_zero(key ^ last_));
    }

    std::vector<Entry> buckets_[33];
    std::uint32_t last_ = 0;
    std::size_t size_ = 0;
};

}  // namespace brelvo::terrain::detail
