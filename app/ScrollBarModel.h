#pragma once

#include <cstdint>

// One scroll bar's state: an inclusive range, a page (0 for none) and a
// position, clamped the way the scroll logic relies on. Callers compute
// positions without bounds and let this class clamp them.
class ScrollBarModel {
public:
    ScrollBarModel() = default;

    // A reversed range is taken as the same range in order: an empty one
    // would leave no valid position at all.
    void SetRange(int min, int max);
    void SetPage(int page);
    void SetPosition(int position);
    // Range, page and position at once, clamped in that order.
    void Set(int min, int max, int page, int position);

    int GetMin() const { return m_min; }
    int GetMax() const { return m_max; }
    int GetPage() const { return m_page; }
    int GetPosition() const { return m_position; }

    // max - min + 1; wider than int so that a full 32-bit range still counts.
    std::int64_t GetPositionCount() const;
    // The largest position the page allows: max - page + 1, or max without a page.
    int GetMaxPosition() const;

private:
    void Clamp();

    int m_min = 0;
    int m_max = 100;
    int m_page = 0;
    int m_position = 0;
};
