// The Intel High Definition Audio controller.
#include "drivers/intel_hda.h"

#include "core/pci.h"
#include "lib/sample_ring.h"
#include "lib/string.h"

namespace korvan::drivers {

using hardwarecommunication::bus_address;

namespace {

struct BufferDescriptor {
  uint32_t address_low;
  uint32_t address_high;
  uint32_t length;
  uint32_t flags;  // bit 0: interrupt on completion, not used
};

}  // namespace

IntelHighDefinitionAudio::IntelHighDefinitionAudio(hardwarecommunication::PeripheralComponentInterconnectController* pci,
                                                   uint16_t bus, uint16_t device, uint16_t function)
    : pci_(pci), bus_(bus), device_(device), function_(function) {}

IntelHighDefinitionAudio::~IntelHighDefinitionAudio() {
  delete[] corb_block_;
  delete[] rirb_block_;
  delete[] buffer_block_;
  delete[] list_block_;
}

void IntelHighDefinitionAudio::Activate() { failure_ = Start(); }

uint8_t* IntelHighDefinitionAudio::Aligned(uint8_t** block, uint32_t bytes) {
  if (*block == nullptr) *block = new uint8_t[bytes + kRingAlignment];
  if (*block == nullptr) return nullptr;
  uintptr_t address = (reinterpret_cast<uintptr_t>(*block) + kRingAlignment - 1) & ~uintptr_t{kRingAlignment - 1};
  memset(reinterpret_cast<uint8_t*>(address), 0, bytes);
  return reinterpret_cast<uint8_t*>(address);
}

bool IntelHighDefinitionAudio::WaitFor(uint32_t offset, unsigned width, uint32_t mask, uint32_t value) {
  for (uint32_t i = 0; i < kPollLimit; i++) {
    uint32_t now = width == 1 ? registers_.Read8(offset) : width == 2 ? registers_.Read16(offset) : registers_.Read32(offset);
    if ((now & mask) == value) return true;
  }
  return false;
}

const char* IntelHighDefinitionAudio::Start() {
  uint32_t bar = pci_->Read(bus_, device_, function_, kPciBar0);
  if (bar & kBarInputOutput) return "registers in I/O space";
  // A 64-bit window must lie below 4 GiB for a 32-bit kernel to reach it.
  if ((bar & kBarTypeMask) == kBar64Bit && pci_->Read(bus_, device_, function_, kPciBar0 + 4) != 0)
    return "registers above 4 GiB";
  uintptr_t base = bar & ~uint32_t{0xF};
  if (base == 0) return "no register window";
  // Before bus mastering is on, so no DMA is ever unsnooped.
  RequireSnoopedDma();
  pci_->Write(bus_, device_, function_, kPciCommand,
              (pci_->Read(bus_, device_, function_, kPciCommand) & 0xFFFF) | kMemorySpaceEnable | kBusMasterEnable);
  registers_ = hardwarecommunication::MemoryMappedRegisters(base);
  if (!ResetController()) return "controller stays in reset";
  // Codecs announce themselves within 521 microseconds of the reset ending.
  for (uint32_t i = 0; i < kPollLimit && (registers_.Read16(kStateChangeStatus) & kCodecsPresent) == 0; i++) {
  }
  uint16_t codecs = registers_.Read16(kStateChangeStatus) & kCodecsPresent;
  if (codecs == 0) return "no codec";
  corb_ = reinterpret_cast<volatile uint32_t*>(Aligned(&corb_block_, kCorbEntries * 4));
  rirb_ = reinterpret_cast<volatile uint64_t*>(Aligned(&rirb_block_, kCorbEntries * 8));
  buffer_ = Aligned(&buffer_block_, kBufferBytes);
  if (corb_ == nullptr || rirb_ == nullptr || buffer_ == nullptr) return "out of memory";
  SetUpRings();
  // A PC often has a display's codec beside the analogue one: the first
  // codec with an output path plays.
  const char* why = "no codec";
  for (uint8_t codec = 0; codec < kMaxCodecs; codec++) {
    if (!(codecs & (1u << codec))) continue;
    HighDefinitionAudioCodec output(this, codec);
    why = output.SetUpOutput(kStreamTag, kFormat48kStereo16);
    if (why == nullptr) {
      codec_vendor_ = output.vendor_id();
      return SetUpStream();
    }
  }
  return why;
}

// The rings, the descriptor list and the buffer are ordinary write-back
// memory (paging is off, so nothing is uncached), so every DMA access must
// snoop the processor's caches or the controller plays stale samples. A PCI
// Express controller is kept from issuing no-snoop requests (its Device
// Control register's Enable No Snoop, which is Intel's DEVC), and Intel's
// traffic class select stays at TC0, the class the chipset snoops. A
// conventional PCI controller such as QEMU's has neither and is coherent.
void IntelHighDefinitionAudio::RequireSnoopedDma() {
  if (pci_->Read(bus_, device_, function_, kPciCommand) & kCapabilitiesList) {
    uint8_t at = pci_->Read(bus_, device_, function_, kCapabilitiesPointer) & 0xFC;
    for (int i = 0; at != 0 && i < kMostCapabilities; i++) {
      uint32_t header = pci_->Read(bus_, device_, function_, at);
      if ((header & 0xFF) == kPciExpressCapability) {
        // The upper half is Device Status, whose bits clear when written as 1.
        uint32_t control = pci_->Read(bus_, device_, function_, at + kDeviceControl) & 0xFFFF;
        if (control & kEnableNoSnoop)
          pci_->Write(bus_, device_, function_, at + kDeviceControl, control & ~kEnableNoSnoop);
        break;
      }
      at = (header >> 8) & 0xFC;
    }
  }
  if ((pci_->Read(bus_, device_, function_, kPciVendor) & 0xFFFF) != kVendorIntel) return;
  uint32_t select = pci_->Read(bus_, device_, function_, kTrafficClassSelect);
  if (select & kTrafficClassMask)
    pci_->Write(bus_, device_, function_, kTrafficClassSelect, select & ~kTrafficClassMask);
}

// CRST low puts the link in reset; high again brings it out, after which
// the codecs are enumerated.
bool IntelHighDefinitionAudio::ResetController() {
  registers_.Write8(kCorbControl, 0);
  registers_.Write8(kRirbControl, 0);
  registers_.Write32(kGlobalControl, registers_.Read32(kGlobalControl) & ~kControllerReset);
  if (!WaitFor(kGlobalControl, 4, kControllerReset, 0)) return false;
  registers_.Write32(kGlobalControl, registers_.Read32(kGlobalControl) | kControllerReset);
  return WaitFor(kGlobalControl, 4, kControllerReset, kControllerReset);
}

uint8_t IntelHighDefinitionAudio::RingSize(uint8_t capabilities, uint16_t* entries) {
  if (capabilities & kRingSize256Capable) {
    *entries = 256;
    return kRingSize256;
  }
  if (capabilities & kRingSize16Capable) {
    *entries = 16;
    return kRingSize16;
  }
  *entries = 2;
  return 0;
}

void IntelHighDefinitionAudio::SetUpRings() {
  uint64_t corb = bus_address(const_cast<uint32_t*>(corb_));
  registers_.Write32(kCorbLowerBase, static_cast<uint32_t>(corb));
  registers_.Write32(kCorbUpperBase, static_cast<uint32_t>(corb >> 32));
  registers_.Write8(kCorbSize, RingSize(registers_.Read8(kCorbSize), &corb_entries_));
  // The read pointer reset is a handshake on most controllers; some clear
  // the bit at once, which is as good.
  registers_.Write16(kCorbReadPointer, kCorbReadPointerReset);
  WaitFor(kCorbReadPointer, 2, kCorbReadPointerReset, kCorbReadPointerReset);
  registers_.Write16(kCorbReadPointer, 0);
  WaitFor(kCorbReadPointer, 2, kCorbReadPointerReset, 0);
  registers_.Write16(kCorbWritePointer, 0);
  corb_write_ = 0;
  registers_.Write8(kCorbControl, kCorbRun);

  uint64_t rirb = bus_address(const_cast<uint64_t*>(rirb_));
  registers_.Write32(kRirbLowerBase, static_cast<uint32_t>(rirb));
  registers_.Write32(kRirbUpperBase, static_cast<uint32_t>(rirb >> 32));
  registers_.Write8(kRirbSize, RingSize(registers_.Read8(kRirbSize), &rirb_entries_));
  registers_.Write16(kRirbWritePointer, kRirbWritePointerReset);
  rirb_read_ = 0;
  // Responses are polled, not interrupted for, but some controllers stop
  // taking commands once this many responses wait: the most there can be.
  registers_.Write16(kResponseInterruptCount, 0xFF);
  registers_.Write8(kRirbControl, kRirbDmaEnable);
}

// One verb at a time: the next CORB slot, then a wait for the RIRB write
// pointer to pass the last response taken.
bool IntelHighDefinitionAudio::Command(uint8_t codec, uint8_t node, uint32_t verb, uint32_t* response) {
  corb_write_ = static_cast<uint16_t>((corb_write_ + 1) % corb_entries_);
  corb_[corb_write_] = static_cast<uint32_t>(codec & 0xF) << 28 | static_cast<uint32_t>(node) << 20 | (verb & 0xFFFFF);
  __atomic_signal_fence(__ATOMIC_SEQ_CST);
  registers_.Write16(kCorbWritePointer, corb_write_);
  uint16_t expected = static_cast<uint16_t>((rirb_read_ + 1) % rirb_entries_);
  for (uint32_t i = 0; i < kPollLimit; i++) {
    if ((registers_.Read16(kRirbWritePointer) & 0xFF) == expected) {
      rirb_read_ = expected;
      *response = static_cast<uint32_t>(rirb_[rirb_read_]);
      registers_.Write8(kRirbStatus, kResponseInterrupt);
      return true;
    }
  }
  return false;
}

const char* IntelHighDefinitionAudio::SetUpStream() {
  uint16_t capabilities = registers_.Read16(kGlobalCapabilities);
  uint32_t inputs = (capabilities >> 8) & 0xF, outputs = (capabilities >> 12) & 0xF;
  if (outputs == 0) return "no output stream";
  stream_base_ = kStreamDescriptors + inputs * kStreamStride;
  registers_.Write8(stream(kStreamControl), kStreamReset);
  if (!WaitFor(stream(kStreamControl), 1, kStreamReset, kStreamReset)) return "stream stays out of reset";
  registers_.Write8(stream(kStreamControl), 0);
  if (!WaitFor(stream(kStreamControl), 1, kStreamReset, 0)) return "stream stays in reset";

  auto* list = reinterpret_cast<BufferDescriptor*>(Aligned(&list_block_, sizeof(BufferDescriptor) * kBufferEntries));
  if (list == nullptr) return "out of memory";
  for (uint32_t i = 0; i < kBufferEntries; i++) {
    uint64_t address = bus_address(buffer_ + i * (kBufferBytes / kBufferEntries));
    list[i] = BufferDescriptor{static_cast<uint32_t>(address), static_cast<uint32_t>(address >> 32),
                               kBufferBytes / kBufferEntries, 0};
  }
  uint64_t list_address = bus_address(list);
  registers_.Write32(stream(kStreamBdlLowerBase), static_cast<uint32_t>(list_address));
  registers_.Write32(stream(kStreamBdlUpperBase), static_cast<uint32_t>(list_address >> 32));
  registers_.Write32(stream(kStreamCyclicLength), kBufferBytes);
  registers_.Write16(stream(kStreamLastValidIndex), kBufferEntries - 1);
  registers_.Write16(stream(kStreamFormat), kFormat48kStereo16);
  registers_.Write8(stream(kStreamStatus), kStreamStatusBits);
  // The stream tag sits in bits 20-23 of the control register, its third byte.
  registers_.Write8(stream(kStreamControl + 2), kStreamTag << 4);
  registers_.Write8(stream(kStreamControl), kStreamRun);
  write_ = 0;
  return nullptr;
}

uint32_t IntelHighDefinitionAudio::PlayPosition() const {
  return (registers_.Read32(stream(kStreamLinkPosition)) % kBufferBytes) & ~(kFrameBytes - 1);
}

void IntelHighDefinitionAudio::Pump(SampleRing* ring) {
  if (!Ready()) return;
  uint32_t play = PlayPosition();
  uint32_t ahead = (write_ - play + kBufferBytes) % kBufferBytes;
  // Each pump leaves exactly the lead ahead, so more means the DMA passed
  // what was written (nothing was pumped for a while): start again at it.
  if (ahead > kLeadFrames * kFrameBytes) {
    write_ = play;
    ahead = 0;
  }
  int16_t sample = 0;
  while (ring->size() > kMostQueuedSamples) ring->pop(&sample);
  for (; ahead < kLeadFrames * kFrameBytes; ahead += kFrameBytes) {
    if (!ring->pop(&sample)) sample = 0;
    auto* frame = reinterpret_cast<int16_t*>(buffer_ + write_);
    frame[0] = sample;
    frame[1] = sample;
    write_ = (write_ + kFrameBytes) % kBufferBytes;
  }
  // Everything the DMA reaches after that is silence, should the pumping stop.
  uint32_t free = kBufferBytes - kLeadFrames * kFrameBytes;
  uint32_t to_end = kBufferBytes - write_ < free ? kBufferBytes - write_ : free;
  memset(buffer_ + write_, 0, to_end);
  memset(buffer_, 0, free - to_end);
}

}  // namespace korvan::drivers
