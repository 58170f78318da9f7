// What the main-loop pass (emulator/c64_pass.cpp) shares with the rest of the
// machine: the keyboard controller poll, typing into the face, the pass
// counter and the terminal mirror on COM1.
#pragma once
#include <stdint.h>

#include "emulator/roms/c64_locations.h"
#include "emulator/serial_console.h"

// Reads up to C64::kPollLimit bytes from the keyboard controller into the
// scancode ring.
void c64_poll_keyboard_controller();
// The ring's write counter, read with interrupts off.
uint32_t c64_scan_head_snapshot();
// A character for the C64's keyboard buffer: delivered at once when the C64
// can take it, else kept (up to 32) until c64_deliver_keys finds it can.
void c64_type_key(uint8_t ch);
void c64_deliver_keys();
bool c64_keys_waiting();
// A new machine starts with nothing typed.
void c64_drop_waiting_keys();

// Passes completed since boot, over every machine built.
extern uint32_t g_frame_ctr;
extern SerialMirror g_serial_mirror;

constexpr uint16_t kKeyCount = c64::NDX;  // characters in the keyboard buffer
constexpr uint8_t kKeyBufferSize = 10;
