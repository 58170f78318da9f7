// String and memory routines of the kernel's runtime library.
#include "lib/string.h"

QLIB_BEGIN

int strlen(const char* s) {
  int n = 0;
  while (s[n] != 0) n++;
  return n;
}

void strcpy(char* dst, const char* src) {
  while ((*dst++ = *src++) != 0) {
  }
}

char* strncpy(char* dst, const char* src, int count) {
  if (dst == nullptr || src == nullptr) return nullptr;
  int i = 0;
  for (; i < count && src[i] != 0; i++) dst[i] = src[i];
  for (; i < count; i++) dst[i] = 0;
  return dst;
}

// Characters compare as signed bytes, as the kernel's callers expect.
static int compare_bytes(signed char a, signed char b) {
  if (a < b) return -1;
  if (a > b) return 1;
  return 0;
}

int strcmp(const char* a, const char* b) {
  for (;; a++, b++) {
    int order = compare_bytes(*a, *b);
    if (order != 0 || *a == 0) return order;
  }
}

int strncmp(const char* a, const char* b, int count) {
  for (; count > 0; count--, a++, b++) {
    int order = compare_bytes(*a, *b);
    if (order != 0 || *a == 0) return order;
  }
  return 0;
}

const char* strchr(const char* s, int c) {
  for (;; s++) {
    if (*s == static_cast<char>(c)) return s;
    if (*s == 0) return nullptr;
  }
}

const char* strrchr(const char* s, int c) {
  const char* last = nullptr;
  for (;; s++) {
    if (*s == static_cast<char>(c)) last = s;
    if (*s == 0) return last;
  }
}

char* strtok(char* s, const char* delimiters) {
  static char* saved = nullptr;
  if (s == nullptr) s = saved;
  if (s == nullptr) return nullptr;
  while (*s != 0 && strchr(delimiters, *s) != nullptr) s++;
  if (*s == 0) {
    saved = s;
    return nullptr;
  }
  char* token = s;
  while (*s != 0 && strchr(delimiters, *s) == nullptr) s++;
  if (*s != 0) {
    *s = 0;
    s++;
  }
  saved = s;
  return token;
}

int tolower(int c) { return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c; }

int toupper(int c) { return (c >= 'a' && c <= 'z') ? c - ('a' - 'A') : c; }

int strncasecmp(const char* a, const char* b, int count) {
  if (count == 0) return 0;
  while (count > 1 && *a != 0 && tolower(*a) == tolower(*b)) {
    a++;
    b++;
    count--;
  }
  return *a - *b;
}

void* memset(void* buffer, int byte, size_t count) {
  uint8_t* p = static_cast<uint8_t*>(buffer);
  for (size_t i = 0; i < count; i++) p[i] = static_cast<uint8_t>(byte);
  return buffer;
}

void* memcpy(void* dst, const void* src, size_t count) {
  uint8_t* d = static_cast<uint8_t*>(dst);
  const uint8_t* s = static_cast<const uint8_t*>(src);
  for (size_t i = 0; i < count; i++) d[i] = s[i];
  return dst;
}

void memcpy(uint8_t* dst, const uint8_t* src, uint32_t count) {
  for (uint32_t i = 0; i < count; i++) dst[i] = src[i];
}

void memcpy(uint16_t* dst, const uint16_t* src, uint32_t count) {
  for (uint32_t i = 0; i < count; i++) dst[i] = src[i];
}

QLIB_END
