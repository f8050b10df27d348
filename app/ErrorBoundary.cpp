#include "ErrorBoundary.h"

#include "PlayerError.h"

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
