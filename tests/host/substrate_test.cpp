// The ovra substrate: its mixing function, the settle, ticks and the registry.
#include <gtest/gtest.h>

#include <vector>

#include "face/substrate.h"

namespace {

uint32_t reference_fold(uint32_t v) {
  v = (v ^ (v >> 16)) * 0x9E3779B9u;
  v = (v ^ (v >> 13)) * 0x85EBCA77u;
  return v ^ (v >> 16);
}

constexpr long double kPhi = 1.6180339887498948482045868343656L;

TEST(Substrate, PhiFoldMixes) {
  EXPECT_EQ(ovra::phi_fold(0), 0u);
  for (uint32_t v : {1u, 0x5D5EEDu, 0xFFFFFFFFu, 0x12345678u})
    EXPECT_EQ(ovra::phi_fold(v), reference_fold(v)) << v;
  EXPECT_NE(ovra::phi_fold(1), ovra::phi_fold(2));
}

TEST(Substrate, InitStoresTheSeedAndSettlesOnPhi) {
  ovra::substrate_init(0xCAFE);
  EXPECT_EQ(ovra::g_sub.seed, 0xCAFEu);
  EXPECT_EQ(ovra::g_sub.fold, ovra::phi_fold(0xCAFE ^ 0x5D5EED));
  EXPECT_EQ(ovra::g_sub.ticks, 0u);
  EXPECT_EQ(ovra::g_sub.x, 2.0L);
  EXPECT_EQ(ovra::g_sub.first, 1.5L);
  EXPECT_LT(ovra::g_sub.settled - kPhi, 1e-17L);
  EXPECT_GT(ovra::g_sub.settled - kPhi, -1e-17L);
  EXPECT_LT(ovra::g_sub.conjugate + 1 / kPhi, 1e-17L);
  EXPECT_GT(ovra::g_sub.conjugate + 1 / kPhi, -1e-17L);
  EXPECT_GT(ovra::g_sub.iterations, 10u);
  EXPECT_LT(ovra::g_sub.iterations, ovra::kSettleLimit);
  EXPECT_EQ(ovra::g_sub.parity_sign, 1);
}

TEST(Substrate, TickMovesTheStartingPointAndTheParity) {
  ovra::substrate_init(7);
  ovra::substrate_tick();
  EXPECT_EQ(ovra::g_sub.ticks, 1u);
  EXPECT_EQ(ovra::g_sub.x, 2.0L + 177.0L / 4096.0L);
  EXPECT_EQ(ovra::g_sub.parity_sign, -1);
  ovra::substrate_tick();
  EXPECT_EQ(ovra::g_sub.parity_sign, 1);
  uint32_t low = (2u * 0x9E3779B1u) & 0xFF;
  EXPECT_EQ(ovra::g_sub.x, 2.0L + low / 4096.0L);
  EXPECT_LT(ovra::g_sub.settled - kPhi, 1e-17L);
}

TEST(Substrate, SettleIsBoundedWhateverTheStart) {
  ovra::substrate_init(1);
  ovra::g_sub.x = 1e30L;
  ovra::settle();
  EXPECT_LE(ovra::g_sub.iterations, ovra::kSettleLimit);
  EXPECT_LT(ovra::g_sub.settled - kPhi, 1e-17L);
}

std::vector<std::pair<uint32_t, uint32_t>> g_calls;

TEST(Substrate, RegistryTakesEightAndStepsThemInOrder) {
  ovra::substrate_init(0x1234);
  EXPECT_EQ(ovra::g_face_count, 0);
  ovra::face_step_all();  // nothing registered: nothing to call
  auto callback = [](void* context, uint32_t index, uint32_t key) {
    EXPECT_EQ(context, &g_calls);
    g_calls.emplace_back(index, key);
  };
  for (int i = 0; i < 8; i++) EXPECT_EQ(ovra::face_register(&g_calls, callback), i);
  EXPECT_EQ(ovra::face_register(&g_calls, callback), -1);
  EXPECT_EQ(ovra::g_face_count, 8);
  ovra::face_step_all();
  ASSERT_EQ(g_calls.size(), 8u);
  for (uint32_t i = 0; i < 8; i++) {
    EXPECT_EQ(g_calls[i].first, i);
    EXPECT_EQ(g_calls[i].second, ovra::phi_fold(ovra::g_sub.fold ^ 0x1234u ^ i));
  }
}

}  // namespace
