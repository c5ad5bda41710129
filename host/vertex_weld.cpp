#include "host/vertex_weld.h"

#include <bit>
#include <cmath>
#include <cstdint>

namespace zenthor {
namespace {

// Cell side in multiples of the threshold. At least 2, so that a t-ball
// touches at most two cells per axis; larger cells mean fewer probes for a
// sparse mesh and more representatives per cell for a dense one.
constexpr double kCellSize = 4.0;
constexpr std::uint32_t kNone = 0xFFFFFFFFu;
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
std::int64_t ExactKey(float x) { return kExactTag | std::bit_cast<std::uint32_t>(x + 0.0f); }

struct AxisCells {
    std::int64_t own;
    std::int64_t lo;  // the cells that the t-ball around the coordinate touches
    std::int64_t hi;
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
            return {0, 0, 0};  // one infinite cell (x +- inf would give NaN)
        }
        const double s = double(x) * m_inverse;
        if (!m_useGrid || !(std::fabs(s) < kGridLimit)) {
            const std::int64_t key = ExactKey(x);
            return {key, key, key};
        }
        return {Floor(s), Floor((double(x) - m_t) * m_inverse), Floor((double(x) + m_t) * m_inverse)};
    }

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
// cell. Slots are told apart by 32 bits of the hash only: two cells that
// share a slot share one list, which costs a few distance tests but never a
// wrong result, since every lookup of a cell always resolves to the same slot.
class CellTable {
public:
    explicit CellTable(std::size_t expected) {
        std::size_t capacity = 16;
        while (capacity < expected + expected / 4) {
            capacity *= 2;
        }
        m_slots.assign(capacity, Slot{0, kNone});
        m_mask = capacity - 1;
        m_shift = 64 - std::countr_zero(capacity);
    }

    // The head of the cell's list, kNone for an empty cell.
    std::uint32_t Head(std::uint64_t hash) const {
        const auto tag = std::uint32_t(hash);
        for (std::size_t i = Home(hash);; i = (i + 1) & m_mask) {
            const Slot& slot = m_slots[i];
            if (slot.head == kNone || slot.tag == tag) {
                return slot.head;
            }
        }
    }

    std::uint32_t& HeadForInsert(std::uint64_t hash) {
        const auto tag = std::uint32_t(hash);
        for (std::size_t i = Home(hash);; i = (i + 1) & m_mask) {
            Slot& slot = m_slots[i];
            if (slot.head == kNone) {
                slot.tag = tag;
                return slot.head;
            }
            if (slot.tag == tag) {
                return slot.head;
            }
        }
    }

private:
    struct Slot {
        std::uint32_t tag;
        std::uint32_t head;
    };

    std::size_t Home(std::uint64_t hash) const { return std::size_t(hash >> m_shift) & m_mask; }

    std::vector<Slot> m_slots;
    std::size_t m_mask = 0;
    int m_shift = 0;
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

    std::size_t candidates = 0;
    for (std::size_t i = 0; i < n; ++i) {
        candidates += selected[int(i)] && verts[i].IsFinite() ? 1 : 0;
    }
    if (candidates < 2) {
        return 0;
    }

    const double t = threshold;
    const double t2 = t * t;
    const Grid grid(t);
    CellTable table(candidates);
    std::vector<std::uint32_t> next(n, kNone);  // next representative in the same cell
    std::size_t joined = 0;

    // Tests the list of one cell; the nearest within t so far is kept.
    auto scan = [&](std::uint32_t head, const Point3& p, Nearest& best) {
        for (std::uint32_t r = head; r != kNone; r = next[r]) {
            const Point3& q = verts[r];
            const double dx = double(p.x) - q.x;
            const double dy = double(p.y) - q.y;
            const double dz = double(p.z) - q.z;
            const double d2 = dx * dx + dy * dy + dz * dz;
            if (d2 <= t2 && (best.index == kNone || d2 < best.distance2 || (d2 == best.distance2 && r < best.index))) {
                best = {r, d2};
            }
        }
    };

    for (std::size_t i = 0; i < n; ++i) {
        const Point3& p = verts[i];
        if (!selected[int(i)] || !p.IsFinite()) {
            continue;
        }
        const std::int64_t ox = grid.Own(p.x);
        const std::int64_t oy = grid.Own(p.y);
        const std::int64_t oz = grid.Own(p.z);
        const std::uint64_t ownHash = HashCell(ox, oy, oz);
        Nearest best;
        scan(table.Head(ownHash), p, best);
        // Representatives lie more than t apart, so one at distance 0 is
        // the only one that close: the common case of shared positions stops here.
        if (best.index == kNone || best.distance2 != 0.0) {
            const AxisCells cx = grid.Cells(p.x);
            const AxisCells cy = grid.Cells(p.y);
            const AxisCells cz = grid.Cells(p.z);
            for (std::int64_t x = cx.lo; x <= cx.hi; ++x) {
                for (std::int64_t y = cy.lo; y <= cy.hi; ++y) {
                    for (std::int64_t z = cz.lo; z <= cz.hi; ++z) {
                        if (x != ox || y != oy || z != oz) {
                            scan(table.Head(HashCell(x, y, z)), p, best);
                        }
                    }
                }
            }
        }
        if (best.index != kNone) {
            remap[i] = best.index;
            ++joined;
        } else {
            std::uint32_t& head = table.HeadForInsert(ownHash);
            next[i] = head;
            head = std::uint32_t(i);
        }
    }
    return joined;
}

}  // namespace zenthor
