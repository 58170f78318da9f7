// kernelMain: brings the services up in order, then runs the machine for ever.
#include <stdint.h>

#include "boot/framebuffer.h"
#include "boot/heap_size.h"
#include "boot/multiboot.h"
#include "boot/outer_loop.h"
#include "boot/progress_marks.h"
#include "boot/sound_tick.h"
#include "core/gdt.h"
#include "core/interrupts.h"
#include "core/memorymanagement.h"
#include "core/multitasking.h"
#include "core/pci.h"
#include "core/syscalls.h"
#include "core/x86.h"
#include "drivers/ata.h"
#include "drivers/driver.h"
#include "drivers/intel_hda.h"
#include "drivers/keyboard.h"
#include "drivers/pit.h"
#include "drivers/rtc.h"
#include "drivers/serial.h"
#include "drivers/speaker.h"
#include "drivers/timestamp_clock.h"
#include "drivers/uart.h"
#include "emulator/io_events.h"
#include "emulator/serial_console.h"
#include "filesystem/fat.h"
#include "lib/sample_ring.h"
#include "lib/stdio.h"

using namespace korvan;

const uint8_t* mboot_hdr = nullptr;

typedef void (*constructor)();
extern "C" constructor start_ctors;
extern "C" constructor end_ctors;

extern "C" void callConstructors() {
  for (constructor* i = &start_ctors; i != &end_ctors; i++) (*i)();
}

namespace {

constexpr uint32_t kSerialBaud = 38400;

constexpr uint16_t kTextStampAttribute = 0x1F00;  // white on blue
constexpr uint32_t kTextModeMemory = 0xB8000;

drivers::Uart16550 g_serial_mirror_line(drivers::Uart16550::kCom1);

// The boot log on COM1: terminals want CR LF, and the console's backspace
// code becomes an erase.
void serial_mirror(uint8_t byte) {
  if (byte == '\n') {
    g_serial_mirror_line.write('\r');
  } else if (byte == kConsoleBackspace) {
    g_serial_mirror_line.write('\b');
    g_serial_mirror_line.write(' ');
    byte = '\b';
  }
  g_serial_mirror_line.write(byte);
}

void write_text_stamp() {
  static const char kStamp[] = "OVRA BOOT OK";
  volatile uint16_t* cells = reinterpret_cast<volatile uint16_t*>(x86::physical(kTextModeMemory));
  for (int i = 0; kStamp[i] != 0; i++) cells[i] = kTextStampAttribute | static_cast<uint8_t>(kStamp[i]);
}

void print_video_mode(const uint8_t* record) {
  printf("\nObtaining video mode.............[OK]");
  printf(" Screen %d X %d X %d - Pitch %d", multiboot::framebuffer_width(record), multiboot::framebuffer_height(record),
         multiboot::framebuffer_bpp(record), multiboot::framebuffer_pitch(record));
  printf("\n                                      VGA Memory @ $%08X", multiboot::framebuffer_addr_low(record));
}

// The sound card was set up when the drivers were activated; this says what
// came of it. True when the card plays.
bool report_sound(const drivers::IntelHighDefinitionAudio* card) {
  printf("\n\nInitializing sound...............[OK]");
  if (card == nullptr) {
    printf(" PC speaker: no HD audio controller");
    return false;
  }
  if (!card->Ready()) {
    printf(" PC speaker: HD audio %s", card->Failure());
    return false;
  }
  printf(" HD audio, codec %04X:%04X", card->CodecVendor() >> 16, card->CodecVendor() & 0xFFFF);
  return true;
}

}  // namespace

extern "C" [[noreturn]] void kernelMain(const void* multiboot_structure, uint32_t /*magic*/) {
  mboot_hdr = static_cast<const uint8_t*>(multiboot_structure);
  choose_framebuffer(mboot_hdr);

  g_serial_mirror_line.configure(kSerialBaud);
  vga_set_mirror(serial_mirror);
  vga_init(x86::physical(g_fb_addr), g_fb_width, g_fb_height, g_fb_pitch, g_fb_bpp);
  vga_clear();
  printf("Quillon Operating System Starting...\n");

  GlobalDescriptorTable gdt;
  write_text_stamp();
  draw_progress_mark(ProgressMark::DescriptorTable);

  bool size_from_loader;
  uint32_t size = kernel_heap_size(mboot_hdr, &size_from_loader);
  MemoryManager memoryManager(kHeapStart, size);
  draw_progress_mark(ProgressMark::Heap);
  printf("\n%d Byte Heap @ 0x%08X", size, kHeapStart);
  if (!size_from_loader) printf("\nThe loader gave no memory size: heap set to %d bytes", size);
  printf("\n\n");

  TaskManager taskManager;
  hardwarecommunication::InterruptManager::SetFatalPainter(paint_fatal_square);
  hardwarecommunication::InterruptManager interrupts(0x20, &gdt, &taskManager);
  SyscallHandler syscalls(&interrupts, hardwarecommunication::InterruptManager::kSyscallVector);

  drivers::DriverManager driverManager;
  IOKeyboardEventHandler keyboardHandler;
  drivers::KeyboardDriver keyboard(&interrupts, &keyboardHandler);
  driverManager.AddDriver(&keyboard);
  IOSerialEventHandler serialHandler;
  drivers::SerialDriver serial(&interrupts, &serialHandler);
  driverManager.AddDriver(&serial);
  SoundTickHandler timerHandler;
  drivers::PITDriver timer(&interrupts, &timerHandler);
  driverManager.AddDriver(&timer);

  hardwarecommunication::PeripheralComponentInterconnectController pci;
  pci.SelectDrivers(&driverManager, &interrupts);

  driverManager.ActivateAll();
  // Before the timer interrupt runs: the machine's real speed and TI$ follow this.
  drivers::TimestampClock wall;
  if (wall.Calibrate()) timerHandler.follow(&wall);

  printf("Initializing interrupts..........[OK]\n");
  interrupts.Activate();

  printf("\nATA pri master: ");
  drivers::AdvancedTechnologyAttachment ata0m(true, drivers::AdvancedTechnologyAttachment::kPrimaryBase);
  ata0m.Identify();
  printf("\nATA pri slave : ");
  drivers::AdvancedTechnologyAttachment ata0s(false, drivers::AdvancedTechnologyAttachment::kPrimaryBase);
  ata0s.Identify();
  printf("\nATA sec master: ");
  drivers::AdvancedTechnologyAttachment ata1m(true, drivers::AdvancedTechnologyAttachment::kSecondaryBase);
  ata1m.Identify();
  printf("\nATA sec slave : ");
  drivers::AdvancedTechnologyAttachment ata1s(false, drivers::AdvancedTechnologyAttachment::kSecondaryBase);
  ata1s.Identify();

  printf("\n\nInitializing filesystem driver...");
  filesystem::Fat32 volume(&ata0m, 0);
  printf("[OK]");
  volume.PrintMountReport();

  print_video_mode(mboot_hdr);

  drivers::SpeakerDriver speaker;
  SampleRing sound;
  SampleRing* sound_ring = report_sound(pci.Sound()) ? &sound : nullptr;
  if (sound_ring != nullptr) timerHandler.sound(pci.Sound(), sound_ring);
  drivers::RTCDriver rtc;
  drivers::datetime now{};
  rtc.GetRTC(&now);
  printf("\n\nGetting date: %d/%d/%d", now.month, now.day, now.year);
  printf("\nGetting time: %d:%d:%d", now.hour, now.minute, now.second);
  printf("\n");

  KernelServices services{&interrupts, &driverManager, &serial, &rtc, &speaker, &volume, sound_ring};
  run_outer_loop(services);
}
