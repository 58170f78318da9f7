// String and memory routines of the kernel's runtime library.
//
// Several differ from the hosted C library at the edges (strcmp returns only
// -1, 0 or 1; strncpy accepts null; strncasecmp's odd stopping rule); callers
// rely on exactly these behaviours.
#pragma once
#include <stddef.h>
#include <stdint.h>
#include "lib/runtime_scope.h"

QLIB_BEGIN

int strlen(const char* s);
void strcpy(char* dst, const char* src);
char* strncpy(char* dst, const char* src, int count);
int strcmp(const char* a, const char* b);
int strncmp(const char* a, const char* b, int count);
const char* strchr(const char* s, int c);
const char* strrchr(const char* s, int c);
char* strtok(char* s, const char* delimiters);
int strncasecmp(const char* a, const char* b, int count);
int tolower(int c);
int toupper(int c);

// The compiler emits calls to these two for block copies and clears.
QLIB_C_LINKAGE void* memset(void* buffer, int byte, size_t count);
QLIB_C_LINKAGE void* memcpy(void* dst, const void* src, size_t count);
void memcpy(uint8_t* dst, const uint8_t* src, uint32_t count);
void memcpy(uint16_t* dst, const uint16_t* src, uint32_t count);

QLIB_END
