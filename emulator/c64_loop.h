// What the main-loop passes of the two images share with the machine: the
// keyboard controller poll, typing into the face, the pass counter and the
// terminal mirror on COM1. Each image's pass (emulator/c64_pass.cpp, or the
// self-test's in variants/) defines C64::begin and C64::run_pass.
#pragma once
#include <stdint.h>

#include "emulator/serial_console.h"

// Reads up to C64::kPollLimit bytes from the keyboard controller into the
// scancode ring.
void c64_poll_keyboard_controller();
// The ring's write counter, read with interrupts off.
uint32_t c64_scan_head_snapshot();
// Hands one character to the face, which puts it in the KERNAL's buffer.
void c64_type_key(uint8_t ch);

// Passes completed since boot, over every machine built.
extern uint32_t g_frame_ctr;
extern SerialMirror g_serial_mirror;

constexpr uint16_t kKeyCount = 0x00C6;  // NDX: characters in the keyboard buffer
constexpr uint8_t kKeyBufferSize = 10;
