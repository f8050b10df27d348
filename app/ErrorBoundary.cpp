#include "ErrorBoundary.h"

#include <cstdlib>
#include <cxxabi.h>
#include <memory>
#include <typeinfo>

#include <QtGlobal>

#include "PlayerError.h"

namespace {

std::string Demangled(const std::type_info* type)
{
    if (type == nullptr)
        return "?";
    int status = 0;
    const std::unique_ptr<char, decltype(&std::free)> name(abi::__cxa_demangle(type->name(), nullptr, nullptr, &status),
                                                           &std::free);
    return status == 0 && name ? std::string(name.get()) : std::string(type->name());
}

} // namespace

std::string ErrorText(std::exception_ptr error)
{
    const std::string internal = "Erreur d'application interne.";
    try {
        std::rethrow_exception(error);
    } catch (const PlayerError& e) {
        // Player errors carry a French text written for the user; other
        // exceptions carry implementation texts that mean nothing to them.
        const std::string text = e.what();
        return text.empty() ? internal : text;
    } catch (...) {
        return internal;
    }
}

std::string ErrorDiagnostic(std::exception_ptr error)
{
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return Demangled(&typeid(e)) + ": " + e.what();
    } catch (...) {
        // Inside the handler the runtime still knows what was thrown.
        return Demangled(abi::__cxa_current_exception_type());
    }
}

void ReportFailure(std::exception_ptr error, const std::function<void(const std::string&)>& report)
{
    qCritical("Quillmark: exception %s", ErrorDiagnostic(error).c_str());
    report(ErrorText(error));
}
