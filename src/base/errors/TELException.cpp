#include "base/errors/TELException.h"

#include <exception>

#include "base/session/Tdm.h"

namespace tavrek {

TELException::TELException(const std::string& message, const std::string& operation)
    : std::runtime_error(message), operation_(operation) {
    dm().ErrorLog().Write({message, operation});
}

std::string CurrentExceptionMessage() {
    try {
        throw;
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "Неизвестна грешка";
    }
}

}  // namespace tavrek
