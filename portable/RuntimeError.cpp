// Portable core: runtime errors and their texts.
#include "portable/RuntimeError.h"

#include <exception>

RuntimeError::RuntimeError(int32_t number, std::u16string detail)
    : number_(number), detail_(std::move(detail)) {}

std::u16string RuntimeError::Description() const
{
    switch (number_) {
    case errOverflow: return u"Overflow";
    case errOutOfMemory: return u"Out of memory";
    case errSubscript: return u"Subscript out of range";
    case errInternal: return u"Internal error";
    case errBadFileNumber: return u"Bad file name or number";
    case errFileNotFound: return u"File not found";
    case errFileAlreadyOpen: return u"File already open";
    case errInputPastEnd: return u"Input past end of file";
    case errPathFileAccess: return u"Path/File access error";
    case errNoSystemRandom: return u"Secure random numbers not available from the system";
    default: return u"Application-defined or object-defined error";
    }
}

void FatalError(const RuntimeError& error)
{
    try {
        throw error;
    } catch (...) {
        std::terminate();
    }
}
