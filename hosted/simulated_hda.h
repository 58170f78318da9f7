// A simulated Intel High Definition Audio controller behind a memory-mapped
// window, with one codec whose widgets a test lays out: link reset, codec
// presence, the CORB/RIRB exchange in the driver's own memory, stream
// descriptors, and playback that reads the buffer descriptor list.
#pragma once
#include <stdint.h>

#include <map>
#include <vector>

#include "hosted/mmio_bus.h"

namespace korvan::hosted {

class SimulatedHdaController : public MmioDevice {
 public:
  static constexpr uintptr_t kBase = 0xFEB00000;
  static constexpr uint32_t kWindow = 0x4000;
  static constexpr uint32_t kInputStreams = 4;
  static constexpr uint32_t kOutputStreams = 4;

  struct Widget {
    uint32_t capabilities = 0;  // audio widget capabilities
    uint32_t pin_capabilities = 0;
    uint32_t configuration = 0;  // configuration default
    uint32_t output_amplifier = 0;
    uint32_t input_amplifier = 0;
    std::vector<uint8_t> connections;
    // What the driver set.
    uint8_t power_state = 3;
    uint8_t pin_control = 0;
    uint8_t selected = 0;
    uint8_t eapd = 0;
    uint8_t stream_channel = 0;
    uint16_t format = 0;
    std::vector<uint16_t> amplifier_settings;
  };

  // A codec like QEMU's output one: converter 2, line-out jack 3 wired to it.
  SimulatedHdaController();
  ~SimulatedHdaController() override;

  uint32_t vendor_id = 0x1AF40021;
  uint8_t first_widget = 2;
  std::map<uint8_t, Widget> widgets;
  bool codec_present = true;
  // Codecs on the link, and the one laid out here; the others answer zeros.
  uint16_t codec_mask = 0x1;
  uint8_t codec_address = 0;
  bool reset_sticks = false;  // the link never leaves reset

  // Runs the output stream the driver set up for frames frames, appending
  // what it reads (left and right) to played.
  void play(uint32_t frames);
  std::vector<int16_t> played;
  uint32_t commands = 0;
  uint32_t output_register(uint32_t reg, unsigned width) const;
  bool output_running() const;

  uint32_t read(uint32_t offset, unsigned width) override;
  void write(uint32_t offset, uint32_t value, unsigned width) override;

 private:
  uint32_t get(uint32_t offset, unsigned width) const;
  void put(uint32_t offset, uint32_t value, unsigned width);
  void after_write(uint32_t offset, uint32_t old_value, uint32_t value, unsigned width);
  void run_corb();
  uint32_t respond(uint8_t node, uint32_t verb);
  uint32_t parameter(uint8_t node, uint8_t id);
  template <typename T>
  static T* at(uint32_t low, uint32_t high) {
    return reinterpret_cast<T*>(static_cast<uintptr_t>(uint64_t{high} << 32 | low));
  }

  uint8_t registers_[0x200] = {};
  uint16_t corb_read_ = 0;
  uint16_t rirb_write_ = 0;
};

}  // namespace korvan::hosted
