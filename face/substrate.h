// The ovra substrate: a seeded state re-settled every main-loop pass by
// iterating T(x) = 1/x + 1 to its fixed point, and a registry of up to eight
// stepping callbacks run once per pass.
#pragma once
#include <stdint.h>

namespace ovra {

struct Substrate {
  uint32_t ticks;
  long double x;
  long double first;
  long double settled;
  long double conjugate;
  uint32_t iterations;
  int32_t parity_sign;
  uint32_t fold;
  uint32_t seed;
};

using FaceCallback = void (*)(void* context, uint32_t index, uint32_t key);

struct FaceSlot {
  int32_t active;
  int32_t index;
  uint32_t key;
  void* context;
  FaceCallback callback;
};

constexpr int32_t kFaceSlots = 8;
constexpr uint32_t kSettleLimit = 300;

extern Substrate g_sub;
extern FaceSlot g_faces[kFaceSlots];
extern int32_t g_face_count;

uint32_t phi_fold(uint32_t v);
long double T_of(long double x);
void settle();
void substrate_init(uint32_t seed);
void substrate_tick();
// The slot number, or -1 once all eight slots are taken.
int32_t face_register(void* context, FaceCallback callback);
void face_step_all();

}  // namespace ovra
