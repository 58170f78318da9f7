// The scancode ring.
#include "emulator/scan_ring.h"

volatile uint8_t g_scan_ring[kScanRingSize];
volatile uint32_t g_scan_head = 0;
volatile uint32_t g_scan_tail = 0;
volatile uint8_t g_scan_monitor_byte[kScanRingSize];
volatile uint8_t g_scan_to_monitor = 0;

void scan_ring_append(uint8_t byte) {
  g_scan_ring[g_scan_head % kScanRingSize] = byte;
  g_scan_monitor_byte[g_scan_head % kScanRingSize] = g_scan_to_monitor;
  g_scan_head = g_scan_head + 1;
}
