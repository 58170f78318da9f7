// The C64 face: runs the fake6502 core on the C64's Memory with the chips on
// its clock, scrapes the text screen at $0400 and types into the KERNAL
// keyboard buffer.
#pragma once
#include <stdint.h>

#include "emulator/roms/c64_locations.h"
#include "face/face_node.h"

class Clock;
class Memory;

// The byte in which the KERNAL asks the host to serve drive 8: LOAD, SAVE
// and the channel calls, the values from kC64FirstHostRequest to
// kC64LastHostRequest (IO names them).
constexpr uint16_t kC64HostRequest = c64::HOSTREQ;
constexpr uint8_t kC64FirstHostRequest = 4;
constexpr uint8_t kC64LastHostRequest = 13;

struct C64Self {
  Memory* memory;
  uint32_t steps;  // instructions since the last c64_init
  // Serves a host request right after the instruction that raised it,
  // because the ROM reads the result in its next one. Null: none.
  void (*serve_request)(void* context);
  void* serve_context;
  // The chips' time base, served after the instruction that reaches its
  // next event. Null: no chips keep time.
  Clock* clock;
};

extern C64Self g_c64_self;
extern FaceNode g_c64_face;

// Binds memory and fills in the node's name, size and callbacks; leaves its
// state, active flag and text alone.
void face_bind_c64(FaceNode* node, Memory* memory);

void c64_init(void* user);
// The face's step callback: c64_run_instructions. Returns 0.
uint32_t c64_step(void* user, uint32_t count);
// Runs count instructions, serving the chips' events and the host requests
// after the instruction that raises them.
void c64_run_instructions(C64Self* self, uint32_t count);
void c64_observe(void* user, uint8_t* text, int32_t width, int32_t height);
void c64_input(void* user, uint8_t character);
int32_t c64_coord(void* user);
// Shift with C= as the KERNAL's keyboard scan takes it: the other character
// set, unless it is locked (CHR$(8)) or the video chip is banked out.
void c64_switch_character_set(void* user);
