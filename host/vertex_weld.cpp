#include "host/vertex_weld.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>

namespace zenthor {
namespace {

// Cell side in multiples of the threshold. At least 2, so that a t-ball
// touches at most two cells per axis. Larger cells mean fewer probes for a
// sparse mesh but many more distance tests for a dense one (a cell holds up
// to about (side / t)^3 representatives); with the occupancy filter below,
// 2 is as fast as larger cells on sparse meshes and far faster on dense ones.
constexpr double kCellSize = 2.0;
constexpr std::uint32_t kNone = 0xFFFFFFFFu;
// Marks a remap entry that still holds a representative's number. A mesh has
// fewer than 2^31 vertices (its count is an int), so indices never have it.
constexpr std::uint32_t kJoins = 0x80000000u;
// Scaled coordinates up to 2^52 are exact integers as doubles and fit int64.
constexpr double kGridLimit = 4503599627370496.0;
// Keys of coordinates too large for the grid; never equal to a grid key.
constexpr std::int64_t kExactTag = std::int64_t(1) << 62;

std::int64_t Floor(double s) {
    const auto i = static_cast<std::int64_t>(s);
    return double(i) > s ? i - 1 : i;
}

// The key of one coordinate: its grid cell, or, where the coordinate is so
// large (relative to the cell) that neighbouring floats lie more than t
// apart, the float itself, so that only equal coordinates share a key.
// Adding 0.0f turns -0 into +0.
std::int64_t ExactKey(float x) {
    return kExactTag | std::bit_cast<std::uint32_t>(x + 0.0f);
}

struct AxisCells {
    std::int64_t own;
    std::int64_t lo;  // the cells that the t-ball around the coordinate touches
    std::int64_t hi;
    // For each of those cells, the squared distance (in cell sides) from the
    // coordinate to the cell along this axis, made a little smaller than it
    // is so that rounding cannot make it too large: 0 for the own cell.
    double GapSquared(std::int64_t cell, double scaled) const {
        if (cell == own) {
            return 0.0;
        }
        double gap = cell > own ? double(own + 1) - scaled : scaled - double(own);
        gap -= 1e-9 * (1.0 + std::fabs(scaled));
        return gap > 0.0 ? gap * gap : 0.0;
    }
    double scaled;  // the coordinate in cell sides (grid cells only)
};

class Grid {
public:
    Grid(double threshold) : m_t(threshold) {
        const double cell = kCellSize * threshold;
        m_useGrid = threshold > 0.0;
        m_inverse = m_useGrid ? 1.0 / cell : 0.0;  // an infinite cell gives 0: one cell
    }

    std::int64_t Own(float x) const {
        const double s = double(x) * m_inverse;
        return m_useGrid && std::fabs(s) < kGridLimit ? Floor(s) : ExactKey(x);
    }

    AxisCells Cells(float x) const {
        if (m_useGrid && m_inverse == 0.0) {
            return {0, 0, 0, 0.0};  // one infinite cell (x +- inf would give NaN)
        }
        const double s = double(x) * m_inverse;
        if (!m_useGrid || !(std::fabs(s) < kGridLimit)) {
            const std::int64_t key = ExactKey(x);
            return {key, key, key, 0.0};
        }
        return {Floor(s), Floor((double(x) - m_t) * m_inverse), Floor((double(x) + m_t) * m_inverse), s};
    }

    // The threshold in cell sides, squared: a cell farther than this holds no
    // representative within t.
    double ReachSquared() const { return m_t * m_inverse * m_t * m_inverse; }

private:
    double m_t;
    double m_inverse = 0.0;
    bool m_useGrid = false;
};

std::uint64_t HashCell(std::int64_t x, std::int64_t y, std::int64_t z) {
    std::uint64_t h = std::uint64_t(x) * 0x9E3779B97F4A7C15ull ^ std::uint64_t(y) * 0xC2B2AE3D27D4EB4Full ^
                      std::uint64_t(z) * 0x165667B19E3779F9ull;
    h ^= h >> 33;
    h *= 0xFF51AFD7ED558CCDull;
    h ^= h >> 33;
    h *= 0xC4CEB9FE1A85EC53ull;
    h ^= h >> 33;
    return h;
}

// Open-addressing table from cell hash to the first representative of the
// cell. A slot keeps 32 bits of the hash (the tag), and the tag alone picks
// the home slot at any table size. Cells with equal tags therefore always
// resolve to the same slot and share one list: that costs a few distance
// tests, never a wrong result. The table grows as representatives come, so
// a mesh of many shared positions keeps a small, cache-friendly table.
// Beside it, a bit filter of occupied tags (four bits per slot, small enough
// to stay in cache) answers most lookups of empty neighbouring cells without
// touching the table.
class CellTable {
public:
    explicit CellTable(std::size_t expected) {
        Allocate(std::bit_ceil(std::max<std::size_t>(expected, 1024)));
    }

    // The head of the cell's list, kNone for an empty cell.
    std::uint32_t Head(std::uint64_t hash) const {
        const auto tag = std::uint32_t(hash);
        for (std::size_t i = tag & m_mask;; i = (i + 1) & m_mask) {
            const Slot& slot = m_slots[i];
            if (slot.head == kNone || slot.tag == tag) {
                return slot.head;
            }
        }
    }

    // False when the cell surely holds no representative.
    bool MayHold(std::uint64_t hash) const {
        const std::size_t bit = FilterBit(std::uint32_t(hash));
        return ((m_filter[bit >> 6] >> (bit & 63)) & 1u) != 0;
    }

    // Asks for the cache line of the cell's home slot ahead of its use.
    void Prefetch(std::uint64_t hash) const { __builtin_prefetch(&m_slots[std::uint32_t(hash) & m_mask]); }

    // Puts representative rep at the front of its cell's list and gives the
    // old front, to be linked behind it.
    std::uint32_t Insert(std::uint64_t hash, std::uint32_t rep) {
        if (2 * (m_used + 1) > m_slots.size()) {
            Grow();
        }
        Slot& slot = Find(std::uint32_t(hash));
        if (slot.head == kNone) {
            slot.tag = std::uint32_t(hash);
            ++m_used;
            Mark(slot.tag);
        }
        const std::uint32_t behind = slot.head;
        slot.head = rep;
        return behind;
    }

private:
    struct Slot {
        std::uint32_t tag;
        std::uint32_t head;
    };

    void Allocate(std::size_t capacity) {
        m_slots.assign(capacity, Slot{0, kNone});
        m_mask = capacity - 1;
        m_used = 0;
        m_filter.assign(capacity * 4 / 64, 0);
        m_filterShift = 32 - std::countr_zero(capacity * 4);
    }

    std::size_t FilterBit(std::uint32_t tag) const {
        return std::uint32_t(tag * 0x9E3779B1u) >> m_filterShift;
    }

    void Mark(std::uint32_t tag) {
        const std::size_t bit = FilterBit(tag);
        m_filter[bit >> 6] |= std::uint64_t(1) << (bit & 63);
    }

    Slot& Find(std::uint32_t tag) {
        for (std::size_t i = tag & m_mask;; i = (i + 1) & m_mask) {
            Slot& slot = m_slots[i];
            if (slot.head == kNone || slot.tag == tag) {
                return slot;
            }
        }
    }

    void Grow() {
        std::vector<Slot> old;
        old.swap(m_slots);
        Allocate(old.size() * 2);
        for (const Slot& slot : old) {
            if (slot.head != kNone) {
                Find(slot.tag) = slot;
                ++m_used;
                Mark(slot.tag);
            }
        }
    }

    std::vector<Slot> m_slots;
    std::size_t m_mask = 0;
    std::size_t m_used = 0;
    std::vector<std::uint64_t> m_filter;
    int m_filterShift = 0;
};

// A representative, numbered in order of creation (so also in vertex order):
// its position and the next representative of its cell. Kept apart from the
// vertex array so that walking a cell touches little memory.
struct Rep {
    float x, y, z;
    std::uint32_t next;
};

struct Nearest {
    std::uint32_t index = kNone;
    double distance2 = 0.0;
};

}  // namespace

std::size_t WeldVertices(const std::vector<Point3>& verts, const BitArray& selected, float threshold,
                         std::vector<DWORD>& remap) {
    const std::size_t n = verts.size();
    remap.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        remap[i] = DWORD(i);
    }
    if (!(threshold >= 0.0f) || n < 2) {
        return 0;  // a negative or NaN threshold joins nothing
    }

    const double t = threshold;
    const double t2 = t * t;
    const Grid grid(t);
    // Sized for a third of the vertices becoming representatives, so that a
    // typical mesh (each position shared by a few vertices) never regrows
    // them: every regrowth leaves fresh memory behind, and page faults are
    // a large part of a weld's time.
    CellTable table(n / 3);
    std::vector<Rep> reps;
    std::vector<std::uint32_t> repVertex;  // representative number -> vertex
    reps.reserve(n / 3);
    repVertex.reserve(n / 3);
    std::size_t joined = 0;

    // Tests one representative; the nearest within t so far is kept (the
    // lower number on a tie, so the order of the tests does not matter).
    auto test = [&](std::uint32_t r, const Point3& p, Nearest& best) {
        const Rep& q = reps[r];
        const double dx = double(p.x) - q.x;
        const double dy = double(p.y) - q.y;
        const double dz = double(p.z) - q.z;
        const double d2 = dx * dx + dy * dy + dz * dz;
        if (d2 <= t2 && (best.index == kNone || d2 < best.distance2 || (d2 == best.distance2 && r < best.index))) {
            best = {r, d2};
        }
    };

    auto ownHash = [&](const Point3& p) { return HashCell(grid.Own(p.x), grid.Own(p.y), grid.Own(p.z)); };

    // The own cells of the next kAhead vertices are hashed in advance and
    // their slots prefetched: the table lookups are cache misses otherwise.
    constexpr std::size_t kAhead = 16;
    std::uint64_t ahead[kAhead];
    for (std::size_t i = 0; i < kAhead && i < n; ++i) {
        ahead[i] = ownHash(verts[i]);
        table.Prefetch(ahead[i]);
    }
    std::uint64_t neighbours[27];

    // Halfway, the slot has come: the first representative of the cell is asked for.
    auto prefetchFirst = [&](std::uint64_t cell) {
        const std::uint32_t head = table.Head(cell);
        if (head != kNone) {
            __builtin_prefetch(&reps[head]);
        }
    };

    for (std::size_t i = 0; i < n; ++i) {
        const std::uint64_t hash = ahead[i % kAhead];
        if (i + kAhead < n) {
            ahead[i % kAhead] = ownHash(verts[i + kAhead]);
            table.Prefetch(ahead[i % kAhead]);
        }
        if (i + kAhead / 2 < n) {
            prefetchFirst(ahead[(i + kAhead / 2) % kAhead]);
        }
        const Point3& p = verts[i];
        if (!selected[int(i)] || !p.IsFinite()) {
            continue;
        }
        Nearest best;
        for (std::uint32_t r = table.Head(hash); r != kNone;) {
            const std::uint32_t next = reps[r].next;
            if (next != kNone) {
                __builtin_prefetch(&reps[next]);
            }
            test(r, p, best);
            r = next;
        }
        // Representatives lie more than t apart, so one at distance 0 is
        // the only one that close: the common case of shared positions stops here.
        if (best.index == kNone || best.distance2 != 0.0) {
            const AxisCells cx = grid.Cells(p.x);
            const AxisCells cy = grid.Cells(p.y);
            const AxisCells cz = grid.Cells(p.z);
            std::size_t count = 0;
            // A cell beyond reach of the t-ball (a corner or edge neighbour
            // whose nearest point lies farther than t), or farther than the
            // nearest representative in the own cell, is not probed.
            const double reach2 =
                best.index == kNone ? grid.ReachSquared() : grid.ReachSquared() * (best.distance2 / t2);
            for (std::int64_t x = cx.lo; x <= cx.hi; ++x) {
                const double gx = cx.GapSquared(x, cx.scaled);
                for (std::int64_t y = cy.lo; y <= cy.hi; ++y) {
                    const double gxy = gx + cy.GapSquared(y, cy.scaled);
                    for (std::int64_t z = cz.lo; z <= cz.hi; ++z) {
                        if ((x == cx.own && y == cy.own && z == cz.own) || count == 27 ||
                            gxy + cz.GapSquared(z, cz.scaled) > reach2) {
                            continue;
                        }
                        const std::uint64_t cell = HashCell(x, y, z);
                        if (table.MayHold(cell)) {
                            neighbours[count++] = cell;
                            table.Prefetch(cell);
                        }
                    }
                }
            }
            // All heads first, then the cells' lists walked side by side, so
            // that the representatives' cache misses overlap.
            std::uint32_t walks[27];
            std::size_t walking = 0;
            for (std::size_t k = 0; k < count; ++k) {
                const std::uint32_t head = table.Head(neighbours[k]);
                if (head != kNone) {
                    __builtin_prefetch(&reps[head]);
                    walks[walking++] = head;
                }
            }
            while (walking > 0) {
                for (std::size_t k = 0; k < walking;) {
                    const std::uint32_t r = walks[k];
                    const std::uint32_t next = reps[r].next;
                    test(r, p, best);
                    if (next != kNone) {
                        __builtin_prefetch(&reps[next]);
                        walks[k++] = next;
                    } else {
                        walks[k] = walks[--walking];
                    }
                }
            }
        }
        if (best.index != kNone) {
            remap[i] = kJoins | best.index;  // made a vertex below, off the loop's critical path
            ++joined;
        } else {
            const auto number = std::uint32_t(reps.size());
            repVertex.push_back(std::uint32_t(i));
            reps.push_back({p.x + 0.0f, p.y + 0.0f, p.z + 0.0f, table.Insert(hash, number)});
        }
    }
    if (joined != 0) {
        for (DWORD& entry : remap) {
            if ((entry & kJoins) != 0) {
                entry = repVertex[entry & ~kJoins];
            }
        }
    }
    return joined;
}

}  // namespace zenthor
