// Faces: the record through which the main loop drives a machine without
// knowing what it is: run steps, render a text screen, accept typed keys.
#pragma once
#include <stdint.h>

constexpr int kFaceTextSize = 1000;
constexpr int kFaceDefaultWidth = 40;
constexpr int kFaceDefaultHeight = 25;
constexpr int32_t kFaceStateRealized = 3;
constexpr int32_t kFaceStateStepped = 4;
// The step count of one face_tick.
constexpr uint32_t kFaceTickSteps = 200000;

struct FaceNode {
  const char* name;
  uint32_t hash_lo;
  uint32_t hash_hi;
  int32_t state;
  void (*init)(void* user);
  uint32_t (*step)(void* user, uint32_t count);
  void (*observe)(void* user, uint8_t* text, int32_t width, int32_t height);
  void (*input)(void* user, uint8_t character);
  int32_t (*coord)(void* user);
  void* user;
  int32_t width;
  int32_t height;
  uint8_t text[kFaceTextSize];
  int32_t active;
};

uint64_t face_phi_hash(const char* s);

// Every entry point accepts a null node; all but face_realize do nothing
// until the node is realized. Null callbacks are skipped.
void face_realize(FaceNode* node);
void face_tick(FaceNode* node);
void face_tick_steps(FaceNode* node, uint32_t count);
void face_tick_observe(FaceNode* node);
void face_key(FaceNode* node, uint8_t character);
