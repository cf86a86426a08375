// The runtime's terminate handling as a library configured without its
// verbose handler: a DLL inside a host program has no console to report to,
// and the verbose handler brings the demangler and the C runtime's formatter.
#include <bits/c++config.h>
#undef _GLIBCXX_VERBOSE
#define _GLIBCXX_VERBOSE 0
#include "eh_terminate.cc"
#include "eh_term_handler.cc"
