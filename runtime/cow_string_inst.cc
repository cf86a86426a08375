// The reference-counted std::string of the old ABI, which the standard
// exception classes keep their messages in (the library's own instantiation
// file adds only random_device helpers to this).
#define _GLIBCXX_USE_CXX11_ABI 0
#include "string-inst.cc"
