// Included first in every portable source of the host build: lets the kernel's
// code call its own runtime library unqualified, as it does in the kernel.
#pragma once
namespace qlib {}
using namespace qlib;
