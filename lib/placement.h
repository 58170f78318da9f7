// Placement new: constructing an object in storage the caller provides.
// The kernel defines it in lib/new.cpp; the host takes its library's.
#pragma once
#include <stddef.h>

#ifdef QUILLON_HOSTED
#include <new>
#else
void* operator new(size_t size, void* pointer);
#endif
