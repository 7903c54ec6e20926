// What the libraries do when a caller breaks a documented precondition (an
// array index no array can reach, a null text): they throw the standard
// exception their interface names, through these functions.
//
// This file's definitions (contract_failure.cpp, the one source of the
// libraries built with exceptions) throw, so that tests and tools can catch
// them. The setup program, which catches nothing, replaces them at link time
// (app/exception_free_runtime.cpp) with definitions that end the process at
// once, as the uncaught exception would, and so links no exception runtime.
#ifndef BRINDLE_JSON_CONTRACT_FAILURE_H_
#define BRINDLE_JSON_CONTRACT_FAILURE_H_

// Throws std::out_of_range(what).
[[noreturn]] void ThrowOutOfRange(const char* what);
// Throws std::length_error(what).
[[noreturn]] void ThrowLengthError(const char* what);
// Throws std::invalid_argument(what).
[[noreturn]] void ThrowInvalidArgument(const char* what);

#endif  // BRINDLE_JSON_CONTRACT_FAILURE_H_
