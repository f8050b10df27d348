#pragma once

#include <exception>
#include <functional>
#include <string>
#include <utility>

// The one place where a failing handler or tick is stopped and reported:
// the work is abandoned at the throw, the user is told, the loop goes on.

// What the user is told about a failure.
std::string ErrorText(std::exception_ptr error);

// What a report of the failure needs: the exception's type and message.
std::string ErrorDiagnostic(std::exception_ptr error);

// Writes the diagnostic through Qt's message handler (standard error by
// default), so that a user's report says what happened, then hands the
// user's text to `report`.
void ReportFailure(std::exception_ptr error, const std::function<void(const std::string&)>& report);

// Runs `work`; on any exception reports it and returns false.
template <class Work>
bool RunGuarded(Work&& work, const std::function<void(const std::string&)>& report)
{
    try {
        std::forward<Work>(work)();
        return true;
    } catch (...) {
        ReportFailure(std::current_exception(), report);
        return false;
    }
}
