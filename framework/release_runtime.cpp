// Linked into the shipped programs only. Their code throws nothing and
// catches nothing, so the C++ library's error paths (a container asked for
// more than it can hold, a failed cast) can only end the program. Ending it
// here, at once, keeps the library's exception objects, their message
// strings and the demangler that prints them on a console these windowed
// programs do not have out of the release binaries.
//
// Each definition names the library's own declaration, so one whose
// declaration changed stops compiling instead of becoming an unused overload;
// cmake/ToolchainChecks.cmake checks at configure time that these are all the
// helpers the library defines beside them.
#include <bits/functexcept.h>  // the declarations these definitions replace

#include <cstdlib>
#include <exception>  // __gnu_cxx::__verbose_terminate_handler

void __gnu_cxx::__verbose_terminate_handler() { std::abort(); }

void std::__throw_bad_alloc() { std::abort(); }
void std::__throw_bad_array_new_length() { std::abort(); }
void std::__throw_bad_cast() { std::abort(); }
void std::__throw_bad_exception() { std::abort(); }
void std::__throw_bad_function_call() { std::abort(); }
void std::__throw_bad_typeid() { std::abort(); }
void std::__throw_domain_error(const char*) { std::abort(); }
void std::__throw_invalid_argument(const char*) { std::abort(); }
void std::__throw_length_error(const char*) { std::abort(); }
void std::__throw_logic_error(const char*) { std::abort(); }
void std::__throw_out_of_range(const char*) { std::abort(); }
void std::__throw_out_of_range_fmt(const char*, ...) { std::abort(); }
void std::__throw_overflow_error(const char*) { std::abort(); }
void std::__throw_range_error(const char*) { std::abort(); }
void std::__throw_runtime_error(const char*) { std::abort(); }
void std::__throw_underflow_error(const char*) { std::abort(); }
