// The face operations: realize, step, observe and key delivery.
#include "face/face_node.h"

namespace {
constexpr uint64_t kPhiMultiplier = 0x9E3779B97F4A7C15ull;
constexpr uint8_t kBlank = 0x20;

bool usable(const FaceNode* node) { return node != nullptr && node->active != 0; }

void mark_stepped(FaceNode* node) {
  if (node->state <= kFaceStateRealized) node->state = kFaceStateStepped;
}

void run_steps(FaceNode* node, uint32_t count) {
  if (node->step != nullptr) node->step(node->user, count);
}

void observe(FaceNode* node) {
  if (node->observe != nullptr) node->observe(node->user, node->text, node->width, node->height);
}
}  // namespace

uint64_t face_phi_hash(const char* s) {
  uint64_t h = 0;
  if (s == nullptr) return h;
  for (; *s != '\0'; s++) h = (h ^ static_cast<uint8_t>(*s)) * kPhiMultiplier + 1;
  return h;
}

void face_realize(FaceNode* node) {
  if (node == nullptr) return;
  uint64_t hash = face_phi_hash(node->name);
  node->hash_lo = static_cast<uint32_t>(hash);
  node->hash_hi = static_cast<uint32_t>(hash >> 32);
  if (node->width == 0) node->width = kFaceDefaultWidth;
  if (node->height == 0) node->height = kFaceDefaultHeight;
  for (uint8_t& cell : node->text) cell = kBlank;
  if (node->init != nullptr) node->init(node->user);
  node->state = kFaceStateRealized;
  node->active = 1;
}

void face_tick(FaceNode* node) {
  if (!usable(node)) return;
  run_steps(node, kFaceTickSteps);
  observe(node);
  mark_stepped(node);
}

void face_tick_steps(FaceNode* node, uint32_t count) {
  if (!usable(node)) return;
  run_steps(node, count);
  mark_stepped(node);
}

void face_tick_observe(FaceNode* node) {
  if (usable(node)) observe(node);
}

void face_key(FaceNode* node, uint8_t character) {
  if (usable(node) && node->input != nullptr) node->input(node->user, character);
}
