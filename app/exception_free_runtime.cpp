// The setup program's C++ runtime without exceptions. Nothing in the program
// catches an exception, so each place where the C++ library or a library of
// ours would throw one ends the process there, through abort(), exactly as
// the uncaught exception would have (std::terminate, then abort()). These
// definitions take the place of the library's at link time; with them the
// program links neither the exception runtime nor the unwinder and threading
// library behind it (about 60 KB of a 32-bit image). Only the program links
// this file: test programs keep the throwing definitions and catch them.
#include <cstddef>
#include <cstdlib>
#include <new>

#include "json/contract_failure.h"

void ThrowOutOfRange(const char*) { std::abort(); }
void ThrowLengthError(const char*) { std::abort(); }
void ThrowInvalidArgument(const char*) { std::abort(); }

// What libstdc++'s containers and strings call where they would throw: every
// function of its "functexcept" member, so that the member is never linked.
namespace std {

void __throw_bad_exception() { abort(); }
void __throw_bad_alloc() { abort(); }
void __throw_bad_array_new_length() { abort(); }
void __throw_bad_cast() { abort(); }
void __throw_bad_typeid() { abort(); }
void __throw_logic_error(const char*) { abort(); }
void __throw_domain_error(const char*) { abort(); }
void __throw_invalid_argument(const char*) { abort(); }
void __throw_length_error(const char*) { abort(); }
void __throw_out_of_range(const char*) { abort(); }
void __throw_out_of_range_fmt(const char*, ...) { abort(); }
void __throw_runtime_error(const char*) { abort(); }
void __throw_range_error(const char*) { abort(); }
void __throw_overflow_error(const char*) { abort(); }
void __throw_underflow_error(const char*) { abort(); }

}  // namespace std

// libstdc++'s string members were built with exceptions: a few of their
// functions catch, and their cleanup code passes exceptions on. They name the
// exception runtime's catch, resume and personality routines, which with
// nothing ever thrown are never called. The personality routine says "no
// handler here" should the system's unwinding ask it about a fault in such a
// frame; the others end the process.
extern "C" {

void* __cxa_begin_catch(void*) noexcept { std::abort(); }
void __cxa_end_catch() { std::abort(); }
void __cxa_rethrow() { std::abort(); }
void _Unwind_Resume(void*) { std::abort(); }

#if defined(__SEH__)
// EXCEPTION_DISPOSITION ExceptionContinueSearch.
int __gxx_personality_seh0(void*, void*, void*, void*) { return 1; }
#else
// _Unwind_Reason_Code _URC_CONTINUE_UNWIND.
int __gxx_personality_v0(int, int, unsigned long long, void*, void*) { return 8; }
#endif

}  // extern "C"

// The allocation functions, replaced as the language allows: the library's
// throwing forms would throw std::bad_alloc, and its nothrow forms catch it.
// The program sets no new-handler, so a failed allocation is final: the
// nothrow forms return null (their callers check), the others end the process.
void* operator new(std::size_t size) {
  void* block = std::malloc(size != 0 ? size : 1);
  if (block == nullptr) std::abort();
  return block;
}

void* operator new[](std::size_t size) { return ::operator new(size); }

void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return std::malloc(size != 0 ? size : 1);
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return std::malloc(size != 0 ? size : 1);
}
