#pragma once

#include <utility>

// Failures of one kind told once until a write succeeds again: a full disk
// fails every copy, and a box at each would stop the work it protects.
class FailureSeries {
public:
    // True for the first failure of a series: the one to tell.
    bool Failed() { return !std::exchange(m_failing, true); }
    void Succeeded() { m_failing = false; }

private:
    bool m_failing = false;
};
