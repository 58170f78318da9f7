// The scancode ring.
#include "emulator/scan_ring.h"

volatile uint8_t g_scan_ring[kScanRingSize];
volatile uint32_t g_scan_head = 0;
volatile uint32_t g_scan_tail = 0;

void scan_ring_append(uint8_t byte) {
  g_scan_ring[g_scan_head % kScanRingSize] = byte;
  g_scan_head = g_scan_head + 1;
}
