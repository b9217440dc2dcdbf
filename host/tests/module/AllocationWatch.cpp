// This test program replaces the global allocation functions with the foundation tests' own.
#include "foundation/tests/AllocationWatch.cpp"
