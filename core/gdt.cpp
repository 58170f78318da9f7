// The global descriptor table.
#include "core/gdt.h"

#include "core/x86.h"

namespace korvan {

static constexpr uint8_t kAccessCode = 0x9A;  // present, ring 0, code, readable
static constexpr uint8_t kAccessData = 0x92;  // present, ring 0, data, writable
static constexpr uint8_t kFlags32BitBytes = 0x4;
static constexpr uint8_t kFlags32BitPages = 0xC;
static constexpr uint8_t kFlagGranularity = 0x8;

GlobalDescriptorTable::GlobalDescriptorTable()
    : nullSegmentSelector(0, 0, 0),
      unusedSegmentSelector(0, 0, 0),
      codeSegmentSelector(0, 0xFFFFFFFF, kAccessCode),
      dataSegmentSelector(0, 0xFFFFFFFF, kAccessData) {
  uint8_t record[6];
  uint16_t limit = sizeof(GlobalDescriptorTable);
  uint32_t base = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(this));
  record[0] = static_cast<uint8_t>(limit);
  record[1] = static_cast<uint8_t>(limit >> 8);
  for (int i = 0; i < 4; i++) record[2 + i] = static_cast<uint8_t>(base >> (8 * i));
  x86::load_global_descriptor_table(record);
  x86::reload_segments(CodeSegmentSelector(), DataSegmentSelector());
}

uint16_t GlobalDescriptorTable::CodeSegmentSelector() const {
  return static_cast<uint16_t>(reinterpret_cast<const uint8_t*>(&codeSegmentSelector) -
                               reinterpret_cast<const uint8_t*>(this));
}

uint16_t GlobalDescriptorTable::DataSegmentSelector() const {
  return static_cast<uint16_t>(reinterpret_cast<const uint8_t*>(&dataSegmentSelector) -
                               reinterpret_cast<const uint8_t*>(this));
}

const GlobalDescriptorTable::SegmentDescriptor& GlobalDescriptorTable::Descriptor(int index) const {
  const SegmentDescriptor* all[4] = {&nullSegmentSelector, &unusedSegmentSelector, &codeSegmentSelector,
                                     &dataSegmentSelector};
  return *all[index & 3];
}

GlobalDescriptorTable::SegmentDescriptor::SegmentDescriptor(uint32_t base, uint32_t limit, uint8_t access) {
  uint8_t flags;
  if (limit <= 65536) {
    flags = kFlags32BitBytes;
  } else {
    // Page granularity: a limit that does not end on a page boundary loses
    // its partial page.
    flags = kFlags32BitPages;
    if ((limit & 0xFFF) != 0xFFF)
      limit = (limit >> 12) - 1;
    else
      limit = limit >> 12;
  }
  limit_lo = static_cast<uint16_t>(limit);
  flags_limit_hi = static_cast<uint8_t>((flags << 4) | ((limit >> 16) & 0x0F));
  base_lo = static_cast<uint16_t>(base);
  base_hi = static_cast<uint8_t>(base >> 16);
  base_vhi = static_cast<uint8_t>(base >> 24);
  type = access;
}

uint32_t GlobalDescriptorTable::SegmentDescriptor::Base() const {
  return static_cast<uint32_t>(base_vhi) << 24 | static_cast<uint32_t>(base_hi) << 16 | base_lo;
}

uint32_t GlobalDescriptorTable::SegmentDescriptor::Limit() const {
  uint32_t result = static_cast<uint32_t>(flags_limit_hi & 0x0F) << 16 | limit_lo;
  if ((flags_limit_hi >> 4) & kFlagGranularity) result = (result << 12) | 0xFFF;
  return result;
}

}  // namespace korvan
