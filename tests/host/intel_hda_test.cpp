// The High Definition Audio driver against a simulated controller and codec:
// found by its PCI class, the CORB/RIRB exchange that finds and sets up the
// output path, the stream's descriptors, and the pump across the buffer's wrap.
#include <gtest/gtest.h>

#include <memory>

#include "core/pci.h"
#include "drivers/driver.h"
#include "drivers/intel_hda.h"
#include "lib/sample_ring.h"
#include "hosted/clean_bus.h"
#include "hosted/simulated_hda.h"
#include "hosted/simulated_pci.h"

namespace {

using korvan::drivers::IntelHighDefinitionAudio;
using korvan::hardwarecommunication::PeripheralComponentInterconnectController;
using korvan::hosted::SimulatedHdaController;
using Widget = SimulatedHdaController::Widget;

class HdaDriver : public ::testing::Test {
 protected:
  HdaDriver() : pci_bus(std::make_unique<korvan::hosted::SimulatedPciBus>()) {
    pci_bus->add_function(0, 4, 0, 0x8086, 0x2668, 0x04, 0x03);
    pci_bus->set_bar(0, 4, 0, 0, SimulatedHdaController::kBase);
  }
  IntelHighDefinitionAudio* found() {
    korvan::drivers::DriverManager manager;
    pci.SelectDrivers(&manager, nullptr);
    if (manager.DriverCount() != 1 || pci.Sound() == nullptr) return nullptr;
    return pci.Sound();
  }
  IntelHighDefinitionAudio* started() {
    IntelHighDefinitionAudio* card = found();
    if (card != nullptr) card->Activate();
    return card;
  }

  korvan::hosted::CleanBus bus;
  std::unique_ptr<korvan::hosted::SimulatedPciBus> pci_bus;
  SimulatedHdaController controller;
  PeripheralComponentInterconnectController pci;
};

TEST_F(HdaDriver, SetsUpTheCodecsOutputAndOneStream) {
  IntelHighDefinitionAudio* card = started();
  ASSERT_NE(card, nullptr);
  ASSERT_TRUE(card->Ready()) << card->Failure();
  EXPECT_EQ(card->CodecVendor(), 0x1AF40021u);
  EXPECT_EQ(pci_bus->add_function(0, 4, 0, 0x8086, 0x2668, 0x04, 0x03)[0x04] & 0x06, 0x06)
      << "memory space and bus mastering on";
  Widget& converter = controller.widgets[2];
  Widget& pin = controller.widgets[3];
  EXPECT_EQ(converter.stream_channel, 0x10) << "stream tag 1, channel 0";
  EXPECT_EQ(converter.format, IntelHighDefinitionAudio::kFormat48kStereo16);
  EXPECT_EQ(converter.power_state, 0);
  ASSERT_FALSE(converter.amplifier_settings.empty());
  EXPECT_EQ(converter.amplifier_settings.back(), 0xB03F) << "output amp, both sides, unmuted at 0 dB";
  EXPECT_EQ(pin.pin_control, 0x40);
  EXPECT_GT(controller.commands, 10u);

  EXPECT_TRUE(controller.output_running());
  EXPECT_EQ(controller.output_register(0x08, 4), IntelHighDefinitionAudio::kBufferBytes);
  EXPECT_EQ(controller.output_register(0x0C, 2), 1u) << "two descriptors";
  EXPECT_EQ(controller.output_register(0x12, 2), 0x0011u);
  EXPECT_EQ(controller.output_register(0x02, 1) >> 4, 1u) << "stream tag";
}

TEST_F(HdaDriver, FollowsAPinThroughAMixerAndSkipsUnconnectedPins) {
  controller.widgets.clear();
  controller.first_widget = 2;
  Widget converter;
  converter.capabilities = 0x5;
  Widget mixer;
  mixer.capabilities = 0x2u << 20 | 0x100 | 0x2;  // mixer, input amps
  mixer.input_amplifier = 0x00001F17;
  mixer.connections = {7, 2};  // a decoy first
  Widget decoy;
  decoy.capabilities = 0x3u << 20;  // a selector with nothing behind it
  Widget dead_pin;
  dead_pin.capabilities = 0x4u << 20 | 0x100;
  dead_pin.pin_capabilities = 0x10;
  dead_pin.configuration = 0x40000000;  // no physical connection
  dead_pin.connections = {2};
  Widget headphones;
  headphones.capabilities = 0x4u << 20 | 0x100;
  headphones.pin_capabilities = 0x10 | 0x8 | 0x10000;  // output, headphone drive, EAPD
  headphones.configuration = 0x0221401F;
  headphones.connections = {4};
  controller.widgets = {{2, converter}, {3, dead_pin}, {4, mixer}, {5, headphones}, {6, Widget{}}, {7, decoy}};
  IntelHighDefinitionAudio* card = started();
  ASSERT_TRUE(card != nullptr && card->Ready()) << (card ? card->Failure() : "not found");
  EXPECT_EQ(controller.widgets[3].pin_control, 0);
  EXPECT_EQ(controller.widgets[5].pin_control, 0xC0);
  EXPECT_EQ(controller.widgets[5].eapd, 0x02);
  ASSERT_FALSE(controller.widgets[4].amplifier_settings.empty());
  EXPECT_EQ(controller.widgets[4].amplifier_settings.back(), 0x7117) << "input 1 of the mixer unmuted";
  EXPECT_EQ(controller.widgets[2].stream_channel, 0x10);
}

// A connection list entry with the range bit stands for every node from the
// entry before it: 4, then "through 6", is 4, 5 and 6, and the select verb
// counts each of them.
TEST_F(HdaDriver, ExpandsConnectionRangesAndSelectsByTheExpandedIndex) {
  controller.widgets.clear();
  controller.first_widget = 2;
  Widget pin;
  pin.capabilities = 0x4u << 20 | 0x100;
  pin.pin_capabilities = 0x10;
  pin.configuration = 0x01014010;  // jack, line out
  pin.connections = {3};
  Widget selector;
  selector.capabilities = 0x3u << 20 | 0x100;
  selector.connections = {4, 0x80 | 6};
  Widget dead_end;
  dead_end.capabilities = 0x3u << 20;  // a selector with nothing behind it
  Widget converter;
  converter.capabilities = 0x5;
  controller.widgets = {{2, pin}, {3, selector}, {4, dead_end}, {5, dead_end}, {6, converter}};
  IntelHighDefinitionAudio* card = started();
  ASSERT_TRUE(card != nullptr && card->Ready()) << (card ? card->Failure() : "not found");
  EXPECT_EQ(controller.widgets[3].selected, 2) << "the third connection, node 6";
  EXPECT_EQ(controller.widgets[6].stream_channel, 0x10);
}

TEST_F(HdaDriver, TakesTheFirstCodecWithAnOutput) {
  controller.codec_mask = 0x5;  // a codec with nothing to play through at 0
  controller.codec_address = 2;
  IntelHighDefinitionAudio* card = started();
  ASSERT_TRUE(card != nullptr && card->Ready()) << (card ? card->Failure() : "not found");
  EXPECT_EQ(controller.widgets[2].stream_channel, 0x10);
}

TEST_F(HdaDriver, SaysWhyItCannotPlay) {
  controller.codec_present = false;
  IntelHighDefinitionAudio* card = started();
  ASSERT_NE(card, nullptr);
  EXPECT_STREQ(card->Failure(), "no codec");
  card->Pump(nullptr);  // does nothing when not ready
  controller.codec_present = true;
  controller.reset_sticks = true;
  card->Activate();
  EXPECT_STREQ(card->Failure(), "controller stays in reset");
  controller.reset_sticks = false;
  controller.widgets[3].configuration = 0x40000000;
  card->Activate();
  EXPECT_STREQ(card->Failure(), "no output pin");
}

TEST_F(HdaDriver, PumpPlaysTheRingOnBothChannelsAcrossTheWrap) {
  IntelHighDefinitionAudio* card = started();
  ASSERT_TRUE(card != nullptr && card->Ready());
  SampleRing ring;
  const uint32_t kLead = IntelHighDefinitionAudio::kLeadFrames;
  const uint32_t kBufferFrames = IntelHighDefinitionAudio::kBufferBytes / 4;
  int16_t next = 1;
  uint32_t frames = 0;
  card->Pump(&ring);  // the lead, in silence
  // Three times round the buffer, a pump every 192 frames (4 ms).
  while (frames < 3 * kBufferFrames) {
    for (int i = 0; i < 192; i++) ring.push(next++);
    controller.play(192);
    frames += 192;
    card->Pump(&ring);
    uint32_t ahead = (card->WritePosition() - card->PlayPosition() + IntelHighDefinitionAudio::kBufferBytes) %
                     IntelHighDefinitionAudio::kBufferBytes;
    ASSERT_EQ(ahead, kLead * 4);
  }
  const std::vector<int16_t>& out = controller.played;
  ASSERT_EQ(out.size(), 2 * frames);
  for (uint32_t f = 0; f < kLead; f++) ASSERT_EQ(out[2 * f], 0) << "the first lead is silence";
  for (uint32_t f = kLead; f < frames; f++) {
    ASSERT_EQ(out[2 * f], static_cast<int16_t>(f - kLead + 1)) << f;
    ASSERT_EQ(out[2 * f + 1], out[2 * f]);
  }
}

TEST_F(HdaDriver, PumpBoundsTheLatencyAndFillsGapsWithSilence) {
  IntelHighDefinitionAudio* card = started();
  ASSERT_TRUE(card != nullptr && card->Ready());
  const uint32_t kLead = IntelHighDefinitionAudio::kLeadFrames;
  SampleRing ring;
  card->Pump(&ring);
  for (int i = 0; i < 3000; i++) ring.push(1000);  // 62 ms made at once
  card->Pump(&ring);
  EXPECT_EQ(ring.size(), IntelHighDefinitionAudio::kMostQueuedSamples) << "the oldest went";
  controller.play(kLead);
  card->Pump(&ring);
  controller.played.clear();
  controller.play(4 * kLead);  // the pumping stops
  size_t loud = 0;
  for (int16_t s : controller.played) loud += s != 0;
  EXPECT_EQ(loud, 2 * IntelHighDefinitionAudio::kMostQueuedSamples) << "what was queued, then silence";
  card->Pump(&ring);
  uint32_t ahead = (card->WritePosition() - card->PlayPosition() + IntelHighDefinitionAudio::kBufferBytes) %
                   IntelHighDefinitionAudio::kBufferBytes;
  EXPECT_EQ(ahead, kLead * 4) << "back in front of the DMA";
}

}  // namespace
