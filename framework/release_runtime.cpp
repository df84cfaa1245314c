// Linked into the shipped programs only. Their code throws nothing and
// catches nothing, so the C++ library's error paths (a container asked for
// more than it can hold, a failed cast) can only end the program. Ending it
// here, at once, keeps the library's exception objects, their message
// strings and the demangler that prints them on a console these windowed
// programs do not have out of the release binaries.
#include <bits/functexcept.h>  // the declarations these definitions replace

#include <cstdlib>

namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

namespace std {
void __throw_bad_alloc() { abort(); }
void __throw_bad_array_new_length() { abort(); }
void __throw_bad_cast() { abort(); }
void __throw_bad_exception() { abort(); }
void __throw_bad_function_call() { abort(); }
void __throw_bad_typeid() { abort(); }
void __throw_domain_error(const char*) { abort(); }
void __throw_invalid_argument(const char*) { abort(); }
void __throw_length_error(const char*) { abort(); }
void __throw_logic_error(const char*) { abort(); }
void __throw_out_of_range(const char*) { abort(); }
void __throw_out_of_range_fmt(const char*, ...) { abort(); }
void __throw_overflow_error(const char*) { abort(); }
void __throw_range_error(const char*) { abort(); }
void __throw_runtime_error(const char*) { abort(); }
void __throw_underflow_error(const char*) { abort(); }
}  // namespace std
