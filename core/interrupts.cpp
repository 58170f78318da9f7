// Interrupt dispatch.
#include "core/interrupts.h"

#include "core/interrupt_entries.h"
#include "core/x86.h"

namespace korvan::hardwarecommunication {

InterruptManager::GateDescriptor InterruptManager::interruptDescriptorTable[256];
InterruptManager* InterruptManager::ActiveInterruptManager = nullptr;
InterruptManager::FatalPainter InterruptManager::fatalPainter = nullptr;

namespace {

constexpr uint8_t kGatePresent = 0x80;
constexpr uint8_t kGateInterrupt32 = 0xE;  // the processor disables interrupts on entry
constexpr uint8_t kExceptionCount = 0x14;
constexpr uint8_t kProcessorVectors = 32;
constexpr uint16_t kDiagnosticPort = 0x80;
constexpr uint32_t kFatalSquareSide = 64;

constexpr uint8_t kPicInitialise = 0x11;    // ICW1: edge triggered, cascade, ICW4 follows
constexpr uint8_t kPicSlaveOnLine2 = 0x04;  // ICW3 master: the slave sits on line 2
constexpr uint8_t kPicCascadeId = 0x02;     // ICW3 slave: its cascade identity
constexpr uint8_t kPic8086Mode = 0x01;      // ICW4

void (*const kExceptionEntries[kExceptionCount])() = {
    HandleException0x00, HandleException0x01, HandleException0x02, HandleException0x03, HandleException0x04,
    HandleException0x05, HandleException0x06, HandleException0x07, HandleException0x08, HandleException0x09,
    HandleException0x0A, HandleException0x0B, HandleException0x0C, HandleException0x0D, HandleException0x0E,
    HandleException0x0F, HandleException0x10, HandleException0x11, HandleException0x12, HandleException0x13,
};

void (*const kHardwareEntries[16])() = {
    HandleInterruptRequest0x00, HandleInterruptRequest0x01, HandleInterruptRequest0x02, HandleInterruptRequest0x03,
    HandleInterruptRequest0x04, HandleInterruptRequest0x05, HandleInterruptRequest0x06, HandleInterruptRequest0x07,
    HandleInterruptRequest0x08, HandleInterruptRequest0x09, HandleInterruptRequest0x0A, HandleInterruptRequest0x0B,
    HandleInterruptRequest0x0C, HandleInterruptRequest0x0D, HandleInterruptRequest0x0E, HandleInterruptRequest0x0F,
};

// The colour of the square that tells which exception stopped the machine.
uint16_t fatal_colour(uint8_t vector) {
  switch (vector) {
    case 0x00: return 0x07E0;  // divide error: green
    case 0x06: return 0xFFE0;  // invalid opcode: yellow
    case 0x08: return 0x001F;  // double fault: blue
    case 0x0D: return 0xF800;  // general protection: red
    case 0x0E: return 0xF81F;  // page fault: magenta
    default: return 0xFFFF;
  }
}

}  // namespace

InterruptHandler::InterruptHandler(InterruptManager* interruptManager, uint8_t InterruptNumber)
    : InterruptNumber(InterruptNumber), interruptManager(interruptManager) {
  interruptManager->handlers[InterruptNumber] = this;
}

InterruptHandler::~InterruptHandler() {
  if (interruptManager->handlers[InterruptNumber] == this) interruptManager->handlers[InterruptNumber] = nullptr;
}

uint32_t InterruptHandler::HandleInterrupt(uint32_t esp) { return esp; }

void InterruptManager::SetInterruptDescriptorTableEntry(uint8_t interrupt, uint16_t codeSegmentSelectorOffset,
                                                        void (*handler)(), uint8_t DescriptorPrivilegeLevel,
                                                        uint8_t DescriptorType) {
  uint32_t address = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(handler));
  GateDescriptor& gate = interruptDescriptorTable[interrupt];
  gate.handlerAddressLowBits = static_cast<uint16_t>(address);
  gate.handlerAddressHighBits = static_cast<uint16_t>(address >> 16);
  gate.gdt_codeSegmentSelector = codeSegmentSelectorOffset;
  gate.access = static_cast<uint8_t>(kGatePresent | ((DescriptorPrivilegeLevel & 3) << 5) | DescriptorType);
  gate.reserved = 0;
}

InterruptManager::InterruptManager(uint16_t hardwareInterruptOffset, GlobalDescriptorTable* globalDescriptorTable,
                                   TaskManager* taskManager)
    : taskManager(taskManager),
      hardwareInterruptOffset(hardwareInterruptOffset),
      programmableInterruptControllerMasterCommandPort(kMasterCommandPort),
      programmableInterruptControllerMasterDataPort(kMasterDataPort),
      programmableInterruptControllerSlaveCommandPort(kSlaveCommandPort),
      programmableInterruptControllerSlaveDataPort(kSlaveDataPort) {
  const uint16_t code = globalDescriptorTable->CodeSegmentSelector();

  for (int vector = 255; vector >= 0; vector--) {
    SetInterruptDescriptorTableEntry(static_cast<uint8_t>(vector), code, IgnoreInterruptRequest, 0, kGateInterrupt32);
    handlers[vector] = nullptr;
  }
  for (uint8_t vector = 0; vector < kExceptionCount; vector++)
    SetInterruptDescriptorTableEntry(vector, code, kExceptionEntries[vector], 0, kGateInterrupt32);
  for (uint8_t line = 0; line < 16; line++)
    SetInterruptDescriptorTableEntry(static_cast<uint8_t>(hardwareInterruptOffset + line), code,
                                     kHardwareEntries[line], 0, kGateInterrupt32);
  SetInterruptDescriptorTableEntry(kSyscallVector, code, HandleInterruptRequest0x80, 0, kGateInterrupt32);

  programmableInterruptControllerMasterCommandPort.Write(kPicInitialise);
  programmableInterruptControllerSlaveCommandPort.Write(kPicInitialise);
  programmableInterruptControllerMasterDataPort.Write(static_cast<uint8_t>(hardwareInterruptOffset));
  programmableInterruptControllerSlaveDataPort.Write(static_cast<uint8_t>(hardwareInterruptOffset + 8));
  programmableInterruptControllerMasterDataPort.Write(kPicSlaveOnLine2);
  programmableInterruptControllerSlaveDataPort.Write(kPicCascadeId);
  programmableInterruptControllerMasterDataPort.Write(kPic8086Mode);
  programmableInterruptControllerSlaveDataPort.Write(kPic8086Mode);
  programmableInterruptControllerMasterDataPort.Write(0x00);  // all lines unmasked
  programmableInterruptControllerSlaveDataPort.Write(0x00);

  uint8_t record[6];
  uint16_t limit = 256 * sizeof(GateDescriptor) - 1;
  uint32_t base = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(interruptDescriptorTable));
  record[0] = static_cast<uint8_t>(limit);
  record[1] = static_cast<uint8_t>(limit >> 8);
  for (int i = 0; i < 4; i++) record[2 + i] = static_cast<uint8_t>(base >> (8 * i));
  x86::load_interrupt_descriptor_table(record);
}

InterruptManager::~InterruptManager() { Deactivate(); }

void InterruptManager::Activate() {
  if (ActiveInterruptManager != nullptr) ActiveInterruptManager->Deactivate();
  ActiveInterruptManager = this;
  x86::enable_interrupts();
}

void InterruptManager::Deactivate() {
  if (ActiveInterruptManager == this) {
    ActiveInterruptManager = nullptr;
    x86::disable_interrupts();
  }
}

uint32_t InterruptManager::HandleInterrupt(uint8_t interrupt, uint32_t esp) {
  if (ActiveInterruptManager != nullptr) return ActiveInterruptManager->DoHandleInterrupt(interrupt, esp);
  return esp;
}

void InterruptManager::StopOnUnhandledException(uint8_t vector) {
  x86::disable_interrupts();
  Port8Bit::Write8(kDiagnosticPort, vector);
  if (fatalPainter != nullptr) fatalPainter(kFatalSquareSide, fatal_colour(vector));
  x86::stop();
}

uint32_t InterruptManager::DoHandleInterrupt(uint8_t interrupt, uint32_t esp) {
  if (handlers[interrupt] != nullptr) {
    esp = handlers[interrupt]->HandleInterrupt(esp);
  } else if (interrupt < kProcessorVectors) {
    StopOnUnhandledException(interrupt);
  }

  if (interrupt == hardwareInterruptOffset && taskManager != nullptr)
    esp = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(
        taskManager->Schedule(reinterpret_cast<CPUState*>(static_cast<uintptr_t>(esp)))));

  if (interrupt >= hardwareInterruptOffset && interrupt < hardwareInterruptOffset + 16) {
    programmableInterruptControllerMasterCommandPort.Write(kEndOfInterrupt);
    if (interrupt >= hardwareInterruptOffset + 8) programmableInterruptControllerSlaveCommandPort.Write(kEndOfInterrupt);
  }
  return esp;
}

}  // namespace korvan::hardwarecommunication
