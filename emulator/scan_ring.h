// The scancode ring: raw PS/2 set-1 bytes on their way from the keyboard
// controller to the machine's main loop.
//
// Two producers append (the keyboard interrupt and the main loop's own poll of
// the controller); the main loop is the only consumer and keeps g_scan_tail.
// A slot is counter & 0xFF. The ring is volatile because the interrupt handler
// writes it behind the main loop's back.
#pragma once
#include <stdint.h>

constexpr uint32_t kScanRingSize = 256;

extern volatile uint8_t g_scan_ring[kScanRingSize];
extern volatile uint32_t g_scan_head;
extern volatile uint32_t g_scan_tail;
// Each slot's byte came while the monitor had the keyboard (1) or the
// machine (0): the machine decodes the monitor's for the shift state only.
// Taken from g_scan_to_monitor, which only C64Mode sets, as the byte is appended.
extern volatile uint8_t g_scan_monitor_byte[kScanRingSize];
extern volatile uint8_t g_scan_to_monitor;

// Stores the byte (and whose it is) in the head's slot, then publishes it by
// advancing the head.
// Not reentrant: outside the keyboard interrupt, call it with interrupts
// disabled, or an interrupt arriving between the two steps takes the same slot.
void scan_ring_append(uint8_t byte);
