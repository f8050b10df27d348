#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

// The TIME_ORDER of an ELAN file. Slots without a value (ELAN leaves the
// inner bounds of a subdivided annotation unaligned) are placed linearly
// between the nearest slots with values before and after them, in document
// order; before the first or after the last slot with a value, at that
// slot's time.
class EafTimeSlots {
public:
    struct Time {
        int64_t stored = 0; // tenths of a millisecond
        bool given = false; // false when placed between neighbours
    };

    // The next slot of TIME_ORDER, with its TIME_VALUE if it has one.
    void Add(const std::string& id, const std::optional<std::string>& value);
    void Resolve();
    std::optional<Time> Get(const std::string& id) const;

private:
    struct Slot {
        std::optional<int64_t> stored;
        Time time;
    };
    std::vector<Slot> m_slots;
    std::unordered_map<std::string, size_t> m_index;
};
