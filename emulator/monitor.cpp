// The debugging monitor's shell: entering, leaving and the command line;
// the commands are in monitor_commands.cpp.
#include "emulator/monitor.h"

#include "core/x86.h"
#include "drivers/keyboard.h"
#include "emulator/c64_mode.h"
#include "lib/stdio.h"
#include "lib/vga.h"

namespace {
const char kRule[] = "====================================================\n";
}  // namespace

Monitor::Monitor() {}

void Monitor::Run() {
  vga_clear();
  vga_cursor_enable();
  puts("Quillon v0.10 - Debugging:\n\n");
  puts(kRule);
  help();
  prompt();
  if (mode_ == nullptr) return;
  for (;;) {
    uint8_t key = 0;
    if (mode_->take_monitor_key(key)) {
      OnKeyDown(key);
    } else if (!mode_->monitor_shown()) {
      return;
    } else {
      // The keyboard interrupt (or the timer's, within a millisecond) ends the halt.
      korvan::x86::halt();
    }
  }
}

void Monitor::run_line() {
  if (mode_ != nullptr && !mode_->from_main_loop(C64Mode::kCommandBegins)) return;
  process_cmd();
  if (mode_ != nullptr) mode_->from_main_loop(C64Mode::kCommandEnds);
}

bool Monitor::stop_requested() const { return mode_ != nullptr && mode_->command_stopping(); }

void Monitor::help() {
  puts("Commands:\n");
  puts("M - Memory Display\n");
  puts("R - Register Display\n");
  puts("P - Partition information\n");
  puts("F - Read File (F <filename>)\n");
  puts("S - Sector Display (S sectorNumInHex #bytesInDec)\n");
  puts("D - Directory (ATA FAT32 Harddisk Master 0)\n");
  puts("I - Image directory of a D64 on the disk (I GAMES.D64)\n");
  puts("E - Erase (delete) file\n");
  puts("N - ReName a file\n");
  puts("L - Load file to RAM (L FILENAME.EXT C000)\n");
  puts("W - Write RAM to file (W FILENAME.EXT C000 C1FF)\n");
  puts("ESC - Return to system\n");
  puts(kRule);
  puts("Built in ML monitor activated via SYS 36864\n");
}

void Monitor::prompt() {
  for (char& c : line_) c = 0;
  length_ = 0;
  puts("\n>");
}

void Monitor::OnKeyDown(uint8_t key) {
  if (key == kKeyHelp) {
    help();
    return;
  }
  if (key == kKeyEnter) {
    run_line();
    length_ = 0;
    line_[0] = 0;
    prompt();
    return;
  }
  if (key == kKeyBackspace) {
    if (length_ == 0) return;
    length_--;
    line_[length_] = 0;
    putc(kKeyBackspace);
    return;
  }
  // Shift, Ctrl, Alt, the function and cursor keys have codes of their own;
  // Shift's is 42, which would otherwise echo as "*".
  bool printable = key >= 0x20 && key <= 0x7E && key != korvan::drivers::kKeyShift;
  if (!printable || length_ >= kLineCapacity) return;
  line_[length_++] = static_cast<char>(key);
  putc(key);
}
