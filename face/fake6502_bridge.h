// The C64 face: runs the fake6502 core on the C64's Memory, raises the
// KERNAL's jiffy interrupt, scrapes the text screen at $0400 and types into
// the KERNAL keyboard buffer.
#pragma once
#include <stdint.h>

#include "face/face_node.h"

class Memory;

// One IRQ request every this many instructions: the KERNAL's 60 Hz jiffy.
constexpr uint32_t kC64InterruptInterval = 16667;

struct C64Self {
  Memory* memory;
  uint32_t steps;  // instructions since the last c64_init
};

extern C64Self g_c64_self;
extern FaceNode g_c64_face;

// Binds memory and fills in the node's name, size and callbacks; leaves its
// state, active flag and text alone.
void face_bind_c64(FaceNode* node, Memory* memory);

void c64_init(void* user);
// Runs the face's steps; each image has its own (face/c64_step.cpp in the
// kernel image), built on c64_run_instructions. Returns 0.
uint32_t c64_step(void* user, uint32_t count);
// Runs count instructions, with an IRQ request after every 16,667th since
// c64_init; a request while I is set is dropped.
void c64_run_instructions(C64Self* self, uint32_t count);
void c64_observe(void* user, uint8_t* text, int32_t width, int32_t height);
void c64_input(void* user, uint8_t character);
int32_t c64_coord(void* user);
