#include "EafTimeSlots.h"

#include <algorithm>
#include <limits>

#include "StoredTime.h"

namespace {

// Unsigned milliseconds, digits only (white space around them allowed), as
// stored units; a value past what the annotation file stores is held there.
std::optional<int64_t> ParseMilliseconds(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return std::nullopt;
    const size_t last = text.find_last_not_of(" \t\r\n");
    constexpr int64_t kMax = std::numeric_limits<int32_t>::max();
    int64_t stored = 0;
    for (size_t i = first; i <= last; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return std::nullopt;
        stored = std::min(kMax, stored * 10 + (text[i] - '0') * 10);
    }
    return stored;
}

} // namespace

void EafTimeSlots::Add(const std::string& id, const std::optional<std::string>& value)
{
    Slot slot;
    if (value)
        slot.stored = ParseMilliseconds(*value);
    m_index[id] = m_slots.size();
    m_slots.push_back(slot);
}

void EafTimeSlots::Resolve()
{
    size_t previous = m_slots.size(); // the last slot with a value, none yet
    for (size_t i = 0; i <= m_slots.size(); ++i) {
        if (i < m_slots.size() && !m_slots[i].stored)
            continue;
        // Slots previous+1 .. i-1 have no value.
        for (size_t k = previous == m_slots.size() ? 0 : previous + 1; k < i; ++k) {
            Time& time = m_slots[k].time;
            if (previous == m_slots.size() && i == m_slots.size())
                time.stored = 0;
            else if (previous == m_slots.size())
                time.stored = *m_slots[i].stored;
            else if (i == m_slots.size())
                time.stored = *m_slots[previous].stored;
            else
                time.stored = *m_slots[previous].stored
                    + RoundedQuotient((*m_slots[i].stored - *m_slots[previous].stored) * static_cast<int64_t>(k - previous),
                                      static_cast<int64_t>(i - previous));
        }
        if (i == m_slots.size())
            break;
        m_slots[i].time = {*m_slots[i].stored, true};
        previous = i;
    }
}

std::optional<EafTimeSlots::Time> EafTimeSlots::Get(const std::string& id) const
{
    const auto found = m_index.find(id);
    if (found == m_index.end())
        return std::nullopt;
    return m_slots[found->second].time;
}
