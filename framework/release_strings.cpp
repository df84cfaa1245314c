// Linked into the shipped programs only. The C++ library's own std::string
// and std::wstring come with an exception table entry for every member, and
// the linker keeps every table entry and so every member it names, called or
// not: some 90 KB of string code in x86 velora.scr that nothing calls.
// Made here, built as the programs are (no exception tables on x86), the
// members come from this file instead and the linker keeps only those the
// program calls.
#include <string>

template class std::basic_string<char>;
template class std::basic_string<wchar_t>;
