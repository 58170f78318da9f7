// The ovra substrate.
#include "face/substrate.h"

namespace ovra {

Substrate g_sub = {0, 2.0L, 0.0L, 0.0L, 0.0L, 0, 1, 0, 0};
FaceSlot g_faces[kFaceSlots];
int32_t g_face_count = 0;

namespace {
constexpr uint32_t kSeedSalt = 0x5D5EED;
constexpr uint32_t kTickMultiplier = 0x9E3779B1u;
constexpr long double kTolerance = 1e-17L;
constexpr long double kStart = 2.0L;
constexpr long double kTickScale = 4096.0L;

long double magnitude(long double v) { return v < 0 ? -v : v; }
}  // namespace

uint32_t phi_fold(uint32_t v) {
  v ^= v >> 16;
  v *= 0x9E3779B9u;
  v ^= v >> 13;
  v *= 0x85EBCA77u;
  v ^= v >> 16;
  return v;
}

long double T_of(long double x) { return 1.0L / x + 1.0L; }

void settle() {
  g_sub.first = T_of(g_sub.x);
  long double current = g_sub.first;
  g_sub.iterations = 0;
  for (uint32_t i = 0; i < kSettleLimit; i++) {
    long double next = T_of(current);
    long double change = magnitude(next - current);
    current = next;
    if (change < kTolerance) break;
    g_sub.iterations++;
  }
  g_sub.settled = current;
  g_sub.conjugate = -1.0L / current;
  g_sub.parity_sign = (g_sub.ticks & 1) ? -1 : 1;
}

void substrate_init(uint32_t seed) {
  g_sub.ticks = 0;
  g_sub.x = kStart;
  g_sub.seed = seed;
  g_sub.fold = phi_fold(seed ^ kSeedSalt);
  settle();
}

void substrate_tick() {
  g_sub.ticks++;
  uint32_t spread = (g_sub.ticks * kTickMultiplier) & 0xFF;
  g_sub.x = static_cast<long double>(spread) / kTickScale + kStart;
  settle();
}

int32_t face_register(void* context, FaceCallback callback) {
  if (g_face_count > kFaceSlots - 1) return -1;
  int32_t i = g_face_count++;
  g_faces[i].active = 1;
  g_faces[i].index = i;
  g_faces[i].key = phi_fold(g_sub.fold ^ g_sub.seed ^ static_cast<uint32_t>(i));
  g_faces[i].context = context;
  g_faces[i].callback = callback;
  return i;
}

void face_step_all() {
  for (int32_t i = 0; i < g_face_count; i++) {
    FaceSlot& slot = g_faces[i];
    if (slot.active && slot.callback != nullptr) slot.callback(slot.context, slot.index, slot.key);
  }
}

}  // namespace ovra
