#pragma once

#include <exception>
#include <functional>
#include <string>
#include <utility>

// The one place where a failing handler or tick is stopped and reported:
// the work is abandoned at the throw, the user is told, the loop goes on.

// What the user is told about a failure.
std::string ErrorText(std::exception_ptr error);

// Runs `work`; on any exception reports its text and returns false.
template <class Work>
bool RunGuarded(Work&& work, const std::function<void(const std::string&)>& report)
{
    try {
        std::forward<Work>(work)();
        return true;
    } catch (...) {
        report(ErrorText(std::current_exception()));
        return false;
    }
}
