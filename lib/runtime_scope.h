// Where the runtime library's names live.
//
// In the kernel the runtime library is the only C library there is, so its
// routines sit at global scope and the ones the compiler may call on its own
// (memcpy, memset) have C linkage. On the host the same sources are linked next
// to the host's C library, so they move into namespace qlib; the portable
// sources see them unqualified through hosted/runtime_import.h, which the
// host build includes first in every portable file.
#pragma once

#ifdef QUILLON_HOSTED
#define QLIB_BEGIN namespace qlib {
#define QLIB_END }
#define QLIB_C_LINKAGE
#else
#define QLIB_BEGIN
#define QLIB_END
#define QLIB_C_LINKAGE extern "C"
#endif
