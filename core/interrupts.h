// The interrupt descriptor table, the 8259 pair, and dispatch of every
// interrupt to the handler object registered for its vector.
#pragma once
#include <stdint.h>

#include "core/gdt.h"
#include "core/multitasking.h"
#include "core/port.h"

namespace korvan::hardwarecommunication {

class InterruptManager;

class InterruptHandler {
 public:
  // Returns the stack pointer to resume with; the default resumes the interrupted code.
  virtual uint32_t HandleInterrupt(uint32_t esp);

 protected:
  // Enters itself in the manager's table; a later handler on the same vector replaces it.
  InterruptHandler(InterruptManager* interruptManager, uint8_t InterruptNumber);
  ~InterruptHandler();

  uint8_t InterruptNumber;
  InterruptManager* interruptManager;
};

class InterruptManager {
  friend class InterruptHandler;

 public:
  static constexpr uint16_t kMasterCommandPort = 0x20;
  static constexpr uint16_t kMasterDataPort = 0x21;
  static constexpr uint16_t kSlaveCommandPort = 0xA0;
  static constexpr uint16_t kSlaveDataPort = 0xA1;
  static constexpr uint8_t kEndOfInterrupt = 0x20;
  static constexpr uint8_t kSyscallVector = 0x80;

  struct GateDescriptor {
    uint16_t handlerAddressLowBits;
    uint16_t gdt_codeSegmentSelector;
    uint8_t reserved;
    uint8_t access;
    uint16_t handlerAddressHighBits;
  } __attribute__((packed));

  static GateDescriptor interruptDescriptorTable[256];
  static InterruptManager* ActiveInterruptManager;

  // Installs the gates and remaps and unmasks the controllers; interrupts stay off.
  InterruptManager(uint16_t hardwareInterruptOffset, GlobalDescriptorTable* globalDescriptorTable,
                   TaskManager* taskManager);
  ~InterruptManager();

  uint16_t HardwareInterruptOffset() const { return hardwareInterruptOffset; }
  void Activate();
  void Deactivate();

  static void SetInterruptDescriptorTableEntry(uint8_t interrupt, uint16_t codeSegmentSelectorOffset,
                                               void (*handler)(), uint8_t DescriptorPrivilegeLevel,
                                               uint8_t DescriptorType);
  // Called by the common entry path with the vector and the frame's address.
  static uint32_t HandleInterrupt(uint8_t interrupt, uint32_t esp);

  InterruptHandler* Handler(uint8_t vector) const { return handlers[vector]; }

  // How a stop on an unhandled exception shows itself beyond the diagnostic
  // port: given a side in pixels and the exception's RGB565 colour. The
  // layer that owns the screen installs it; until then nothing is drawn.
  using FatalPainter = void (*)(uint32_t side, uint16_t rgb565);
  static void SetFatalPainter(FatalPainter painter) { fatalPainter = painter; }

 private:
  uint32_t DoHandleInterrupt(uint8_t interrupt, uint32_t esp);
  [[noreturn]] void StopOnUnhandledException(uint8_t vector);

  static FatalPainter fatalPainter;
  InterruptHandler* handlers[256];
  TaskManager* taskManager;
  uint16_t hardwareInterruptOffset;
  Port8BitSlow programmableInterruptControllerMasterCommandPort;
  Port8BitSlow programmableInterruptControllerMasterDataPort;
  Port8BitSlow programmableInterruptControllerSlaveCommandPort;
  Port8BitSlow programmableInterruptControllerSlaveDataPort;
};

}  // namespace korvan::hardwarecommunication
