#include "json/contract_failure.h"

#include <stdexcept>

void ThrowOutOfRange(const char* what) { throw std::out_of_range(what); }

void ThrowLengthError(const char* what) { throw std::length_error(what); }

void ThrowInvalidArgument(const char* what) { throw std::invalid_argument(what); }
