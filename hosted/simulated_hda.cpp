// The simulated High Definition Audio controller.
#include "hosted/simulated_hda.h"

#include <cstring>

namespace korvan::hosted {

namespace {

constexpr uint32_t kGcap = 0x00, kGctl = 0x08, kStatests = 0x0E;
constexpr uint32_t kCorbLbase = 0x40, kCorbUbase = 0x44, kCorbWp = 0x48, kCorbRp = 0x4A, kCorbCtl = 0x4C,
                   kCorbSize = 0x4E;
constexpr uint32_t kRirbLbase = 0x50, kRirbUbase = 0x54, kRirbWp = 0x58, kRirbCtl = 0x5C, kRirbSts = 0x5D,
                   kRirbSize = 0x5E;
constexpr uint32_t kOutputStream = 0x80 + SimulatedHdaController::kInputStreams * 0x20;
constexpr uint32_t kSdCtl = 0x00, kSdSts = 0x03, kSdLpib = 0x04, kSdCbl = 0x08, kSdBdpl = 0x18, kSdBdpu = 0x1C;

bool overlaps(uint32_t offset, unsigned width, uint32_t reg) { return reg >= offset && reg < offset + width; }

}  // namespace

SimulatedHdaController::SimulatedHdaController() {
  Widget converter;
  converter.capabilities = 0x0 << 20 | 0x4 | 0x1;  // output, out amp, stereo
  converter.output_amplifier = 0x80037F3F;          // mute capable, 0 dB at step $3F
  Widget pin;
  pin.capabilities = 0x4u << 20 | 0x100 | 0x1;  // pin, connection list
  pin.pin_capabilities = 0x10;                   // output capable
  pin.configuration = 0x01014010;                // jack, line out
  pin.connections = {2};
  widgets[2] = converter;
  widgets[3] = pin;
  attach_mmio(kBase, kWindow, this);
}

SimulatedHdaController::~SimulatedHdaController() { detach_mmio(this); }

uint32_t SimulatedHdaController::get(uint32_t offset, unsigned width) const {
  uint32_t value = 0;
  if (offset + width <= sizeof(registers_)) std::memcpy(&value, registers_ + offset, width);
  return value;
}

void SimulatedHdaController::put(uint32_t offset, uint32_t value, unsigned width) {
  if (offset + width <= sizeof(registers_)) std::memcpy(registers_ + offset, &value, width);
}

uint32_t SimulatedHdaController::read(uint32_t offset, unsigned width) {
  if (offset == kGcap && width >= 2) return kOutputStreams << 12 | kInputStreams << 8 | 0x1;
  if (offset == kCorbSize || offset == kRirbSize) return 0x40 | get(offset, 1);  // 256 entries possible
  if (offset == kRirbWp) return rirb_write_;
  return get(offset, width);
}

void SimulatedHdaController::write(uint32_t offset, uint32_t value, unsigned width) {
  uint32_t old = get(offset, width);
  put(offset, value, width);
  after_write(offset, old, value, width);
}

void SimulatedHdaController::after_write(uint32_t offset, uint32_t, uint32_t value, unsigned width) {
  if (overlaps(offset, width, kGctl)) {
    if (reset_sticks) put(kGctl, 0, 4);
    else if (value & 1) put(kStatests, codec_present ? codec_mask : 0, 2);
  } else if (offset == kCorbRp && (value & 0x8000)) {
    corb_read_ = 0;
  } else if (offset == kCorbRp) {
    put(kCorbRp, corb_read_, 2);
  } else if (offset == kRirbWp && (value & 0x8000)) {
    rirb_write_ = 0;
  } else if (offset == kRirbSts) {
    put(kRirbSts, 0, 1);
  } else if (offset == kCorbWp) {
    run_corb();
  } else if (offset == kOutputStream + kSdSts) {
    put(offset, 0, 1);
  } else if (offset == kOutputStream + kSdCtl && (value & 1)) {
    for (uint32_t reg = kSdLpib; reg < 0x20; reg++) put(kOutputStream + reg, 0, 1);
  }
}

void SimulatedHdaController::run_corb() {
  if (!(get(kCorbCtl, 1) & 0x02) || !(get(kRirbCtl, 1) & 0x02)) return;
  auto* corb = at<uint32_t>(get(kCorbLbase, 4), get(kCorbUbase, 4));
  auto* rirb = at<uint64_t>(get(kRirbLbase, 4), get(kRirbUbase, 4));
  uint16_t write_pointer = static_cast<uint16_t>(get(kCorbWp, 2) & 0xFF);
  while (corb_read_ != write_pointer) {
    corb_read_ = static_cast<uint16_t>((corb_read_ + 1) % 256);
    uint32_t entry = corb[corb_read_];
    commands++;
    uint32_t response = (entry >> 28) == codec_address ? respond(static_cast<uint8_t>(entry >> 20), entry & 0xFFFFF) : 0;
    rirb_write_ = static_cast<uint16_t>((rirb_write_ + 1) % 256);
    rirb[rirb_write_] = response;  // extended half: codec 0, solicited
    put(kRirbSts, 1, 1);
  }
  put(kCorbRp, corb_read_, 2);
}

uint32_t SimulatedHdaController::parameter(uint8_t node, uint8_t id) {
  if (node == 0 && id == 0x00) return vendor_id;
  if (node == 0 && id == 0x04) return 1u << 16 | 1;  // one function group, node 1
  if (node == 1 && id == 0x05) return 0x01;           // audio
  if (node == 1 && id == 0x04) return uint32_t{first_widget} << 16 | static_cast<uint32_t>(widgets.size());
  auto found = widgets.find(node);
  if (found == widgets.end()) return 0;
  const Widget& w = found->second;
  switch (id) {
    case 0x09: return w.capabilities;
    case 0x0C: return w.pin_capabilities;
    case 0x0D: return w.input_amplifier;
    case 0x0E: return static_cast<uint32_t>(w.connections.size());
    case 0x12: return w.output_amplifier;
  }
  return 0;
}

uint32_t SimulatedHdaController::respond(uint8_t node, uint32_t verb) {
  uint32_t twelve = verb >> 8;
  uint8_t payload = verb & 0xFF;
  if (twelve == 0xF00) return parameter(node, payload);
  auto found = widgets.find(node);
  if (found == widgets.end()) return 0;
  Widget& w = found->second;
  switch (twelve) {
    case 0xF02: {
      uint32_t entries = 0;
      for (uint32_t i = 0; i < 4 && payload + i < w.connections.size(); i++) entries |= uint32_t{w.connections[payload + i]} << (8 * i);
      return entries;
    }
    case 0xF1C: return w.configuration;
    case 0x701: w.selected = payload; return 0;
    case 0x705: w.power_state = payload; return 0;
    case 0x706: w.stream_channel = payload; return 0;
    case 0x707: w.pin_control = payload; return 0;
    case 0x70C: w.eapd = payload; return 0;
  }
  if ((verb >> 16) == 0x2) w.format = verb & 0xFFFF;
  if ((verb >> 16) == 0x3) w.amplifier_settings.push_back(verb & 0xFFFF);
  return 0;
}

uint32_t SimulatedHdaController::output_register(uint32_t reg, unsigned width) const {
  return get(kOutputStream + reg, width);
}

bool SimulatedHdaController::output_running() const { return (get(kOutputStream + kSdCtl, 1) & 0x02) != 0; }

struct Descriptor {
  uint32_t low, high, length, flags;
};

void SimulatedHdaController::play(uint32_t frames) {
  if (!output_running()) return;
  auto* list = at<Descriptor>(get(kOutputStream + kSdBdpl, 4), get(kOutputStream + kSdBdpu, 4));
  uint32_t cyclic = get(kOutputStream + kSdCbl, 4);
  uint32_t entries = get(kOutputStream + 0x0C, 2) + 1;
  for (uint32_t f = 0; f < frames; f++) {
    uint32_t position = get(kOutputStream + kSdLpib, 4);
    uint32_t offset = position;
    uint32_t e = 0;
    while (e < entries && offset >= list[e].length) offset -= list[e++].length;
    const auto* bytes = at<uint8_t>(list[e].low, list[e].high) + offset;
    int16_t left, right;
    std::memcpy(&left, bytes, 2);
    std::memcpy(&right, bytes + 2, 2);
    played.push_back(left);
    played.push_back(right);
    put(kOutputStream + kSdLpib, (position + 4) % cyclic, 4);
  }
}

}  // namespace korvan::hosted
