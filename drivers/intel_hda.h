// An Intel High Definition Audio controller (PCI class 04, subclass 03):
// controller reset, the command ring (CORB) and response ring (RIRB) to the
// codecs, and one output stream of 16-bit stereo at 48 kHz from a cyclic
// buffer that Pump keeps filled a little ahead of the controller's DMA.
#pragma once
#include <stdint.h>

#include "core/mmio.h"
#include "drivers/driver.h"
#include "drivers/hda_codec.h"

class SampleRing;

namespace korvan::hardwarecommunication {
class PeripheralComponentInterconnectController;
}

namespace korvan::drivers {

class IntelHighDefinitionAudio final : public Driver, public HighDefinitionAudioLink {
 public:
  // Global registers.
  static constexpr uint32_t kGlobalCapabilities = 0x00;  // GCAP
  static constexpr uint32_t kGlobalControl = 0x08;  // GCTL
  static constexpr uint32_t kStateChangeStatus = 0x0E;  // STATESTS
  static constexpr uint32_t kCorbLowerBase = 0x40;  // CORBLBASE
  static constexpr uint32_t kCorbUpperBase = 0x44;  // CORBUBASE
  static constexpr uint32_t kCorbWritePointer = 0x48;  // CORBWP
  static constexpr uint32_t kCorbReadPointer = 0x4A;  // CORBRP
  static constexpr uint32_t kCorbControl = 0x4C;  // CORBCTL
  static constexpr uint32_t kCorbSize = 0x4E;  // CORBSIZE
  static constexpr uint32_t kRirbLowerBase = 0x50;  // RIRBLBASE
  static constexpr uint32_t kRirbUpperBase = 0x54;  // RIRBUBASE
  static constexpr uint32_t kRirbWritePointer = 0x58;  // RIRBWP
  static constexpr uint32_t kResponseInterruptCount = 0x5A;  // RINTCNT
  static constexpr uint32_t kRirbControl = 0x5C;  // RIRBCTL
  static constexpr uint32_t kRirbStatus = 0x5D;  // RIRBSTS
  static constexpr uint32_t kRirbSize = 0x5E;  // RIRBSIZE
  // Stream descriptors: input streams first, then output, 0x20 apart.
  static constexpr uint32_t kStreamDescriptors = 0x80;
  static constexpr uint32_t kStreamStride = 0x20;
  static constexpr uint32_t kStreamControl = 0x00;  // SDnCTL, 3 bytes
  static constexpr uint32_t kStreamStatus = 0x03;  // SDnSTS
  static constexpr uint32_t kStreamLinkPosition = 0x04;  // SDnLPIB
  static constexpr uint32_t kStreamCyclicLength = 0x08;  // SDnCBL
  static constexpr uint32_t kStreamLastValidIndex = 0x0C;  // SDnLVI
  static constexpr uint32_t kStreamFormat = 0x12;  // SDnFMT
  static constexpr uint32_t kStreamBdlLowerBase = 0x18;  // SDnBDPL
  static constexpr uint32_t kStreamBdlUpperBase = 0x1C;  // SDnBDPU

  // Bits.
  static constexpr uint32_t kControllerReset = 0x01;  // GCTL CRST
  static constexpr uint16_t kCodecsPresent = 0x7FFF;  // STATESTS SDIWAKE, one bit per codec address
  static constexpr uint8_t kMaxCodecs = 15;
  static constexpr uint16_t kCorbReadPointerReset = 0x8000;  // CORBRPRST
  static constexpr uint8_t kCorbRun = 0x02;  // CORBRUN
  static constexpr uint16_t kRirbWritePointerReset = 0x8000;  // RIRBWPRST
  static constexpr uint8_t kRirbDmaEnable = 0x02;  // RIRBDMAEN
  static constexpr uint8_t kResponseInterrupt = 0x01;  // RIRBSTS RINTFL
  static constexpr uint8_t kRingSize256 = 0x02;  // CORBSIZE/RIRBSIZE: 256 entries
  static constexpr uint8_t kRingSize256Capable = 0x40;
  static constexpr uint8_t kRingSize16 = 0x01;
  static constexpr uint8_t kRingSize16Capable = 0x20;
  static constexpr uint8_t kStreamReset = 0x01;  // SDnCTL SRST
  static constexpr uint8_t kStreamRun = 0x02;  // SDnCTL RUN
  static constexpr uint8_t kStreamStatusBits = 0x1C;  // BCIS, FIFOE, DESE: write 1 to clear

  // PCI configuration: command register bits.
  static constexpr uint8_t kPciCommand = 0x04;
  static constexpr uint32_t kMemorySpaceEnable = 0x02;
  static constexpr uint32_t kBusMasterEnable = 0x04;
  static constexpr uint8_t kPciBar0 = 0x10;
  static constexpr uint8_t kPciVendor = 0x00;
  static constexpr uint32_t kVendorIntel = 0x8086;
  static constexpr uint32_t kCapabilitiesList = 1u << 20;  // status bit 4, in the command dword
  static constexpr uint8_t kCapabilitiesPointer = 0x34;
  static constexpr uint8_t kPciExpressCapability = 0x10;
  static constexpr uint8_t kDeviceControl = 0x08;  // in the PCI Express capability
  static constexpr uint32_t kEnableNoSnoop = 1u << 11;
  static constexpr uint8_t kTrafficClassSelect = 0x44;  // TCSEL, Intel controllers
  static constexpr uint32_t kTrafficClassMask = 0x07;
  static constexpr int kMostCapabilities = 48;
  static constexpr uint32_t kBarInputOutput = 0x1;
  static constexpr uint32_t kBarTypeMask = 0x6;
  static constexpr uint32_t kBar64Bit = 0x4;

  // 48 kHz (base 48k, no multiply or divide), 16 bits, 2 channels.
  static constexpr uint16_t kFormat48kStereo16 = 0x0011;
  static constexpr uint32_t kSampleRate = 48000;
  static constexpr uint8_t kStreamTag = 1;
  static constexpr uint32_t kFrameBytes = 4;
  static constexpr uint32_t kBufferBytes = 16384;  // 85 ms, in two descriptor entries
  static constexpr uint32_t kBufferEntries = 2;
  // How far ahead of the DMA position Pump writes (enough for QEMU, which
  // takes the buffer in chunks, and a late timer tick), and how much the
  // ring may hold beyond that before the oldest samples go. At real speed
  // the machine makes a video frame's 20 ms of samples in one burst, so the
  // ring must hold a frame and a pump's worth; less breaks every note into
  // pieces. A sample then reaches the DMA 11 to 30 ms after it is due.
  static constexpr uint32_t kLeadFrames = kSampleRate * 15 / 1000;
  static constexpr uint32_t kMostQueuedSamples = kSampleRate * 30 / 1000;

  IntelHighDefinitionAudio(hardwarecommunication::PeripheralComponentInterconnectController* pci, uint16_t bus,
                           uint16_t device, uint16_t function);
  ~IntelHighDefinitionAudio();
  IntelHighDefinitionAudio(const IntelHighDefinitionAudio&) = delete;
  IntelHighDefinitionAudio& operator=(const IntelHighDefinitionAudio&) = delete;

  // Resets the controller, finds the codec's output and starts the stream
  // playing silence. Afterwards Ready() or Failure() says how it went.
  void Activate() override;
  bool Command(uint8_t codec, uint8_t node, uint32_t verb, uint32_t* response) override;
  // Moves samples from the ring (mono, played on both channels) into the
  // buffer up to the lead, silence where the ring has none. From the timer
  // interrupt; does nothing unless Ready().
  void Pump(SampleRing* ring);

  bool Ready() const { return failure_ == nullptr; }
  const char* Failure() const { return failure_; }
  uint32_t CodecVendor() const { return codec_vendor_; }
  // Bytes into the buffer the DMA has reached, and Pump has written to.
  uint32_t PlayPosition() const;
  uint32_t WritePosition() const { return write_; }

 private:
  static constexpr uint32_t kCorbEntries = 256;
  static constexpr uint32_t kRingAlignment = 128;
  // Register polls before a wait counts as failed; a poll takes a
  // microsecond or more on real buses, so these are tens of milliseconds.
  static constexpr uint32_t kPollLimit = 100000;

  const char* Start();
  void RequireSnoopedDma();
  bool ResetController();
  void SetUpRings();
  const char* SetUpStream();
  bool WaitFor(uint32_t offset, unsigned width, uint32_t mask, uint32_t value);
  uint32_t stream(uint32_t reg) const { return stream_base_ + reg; }
  // A zeroed block of bytes at a 128-byte boundary, from block (allocated
  // the first time, kept for the next activation).
  static uint8_t* Aligned(uint8_t** block, uint32_t bytes);
  // The size code for the largest ring the capability bits allow, and its entries.
  static uint8_t RingSize(uint8_t capabilities, uint16_t* entries);

  hardwarecommunication::PeripheralComponentInterconnectController* pci_;
  uint16_t bus_, device_, function_;
  hardwarecommunication::MemoryMappedRegisters registers_{0};
  const char* failure_ = "not started";
  uint32_t codec_vendor_ = 0;
  uint32_t stream_base_ = 0;
  volatile uint32_t* corb_ = nullptr;
  volatile uint64_t* rirb_ = nullptr;
  uint16_t corb_write_ = 0;
  uint16_t rirb_read_ = 0;
  uint16_t corb_entries_ = kCorbEntries;
  uint16_t rirb_entries_ = kCorbEntries;
  uint8_t* buffer_ = nullptr;
  uint32_t write_ = 0;
  // What the controller's rings, buffer and descriptor list were cut from.
  uint8_t* corb_block_ = nullptr;
  uint8_t* rirb_block_ = nullptr;
  uint8_t* buffer_block_ = nullptr;
  uint8_t* list_block_ = nullptr;
};

}  // namespace korvan::drivers
