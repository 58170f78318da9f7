// The flat protected-mode segments: one code and one data segment over the
// whole 4 GiB, ring 0.
#pragma once
#include <stdint.h>

namespace korvan {

class GlobalDescriptorTable {
 public:
  class SegmentDescriptor {
   public:
    SegmentDescriptor(uint32_t base, uint32_t limit, uint8_t type);
    uint32_t Base() const;
    uint32_t Limit() const;
    uint8_t Access() const { return type; }
    uint8_t Flags() const { return flags_limit_hi >> 4; }

   private:
    uint16_t limit_lo;
    uint16_t base_lo;
    uint8_t base_hi;
    uint8_t type;
    uint8_t flags_limit_hi;
    uint8_t base_vhi;
  } __attribute__((packed));

  // Builds the table and loads it: DS, ES, FS, GS and SS get the data
  // selector, CS the code selector.
  GlobalDescriptorTable();

  uint16_t CodeSegmentSelector() const;
  uint16_t DataSegmentSelector() const;
  const SegmentDescriptor& Descriptor(int index) const;

 private:
  SegmentDescriptor nullSegmentSelector;
  SegmentDescriptor unusedSegmentSelector;
  SegmentDescriptor codeSegmentSelector;
  SegmentDescriptor dataSegmentSelector;
};

}  // namespace korvan
