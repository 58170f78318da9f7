// The kernel-side debugging monitor: entered with Esc while the machine runs,
// it takes over the console on the main loop and reads command lines from
// the keys the keyboard interrupt queues for it.
#pragma once
#include <stdint.h>

class C64Mode;
class Cpu;
class IO;
class Memory;

namespace korvan::filesystem {
class Fat32;
}

class Monitor {
 public:
  static constexpr uint8_t kLineCapacity = 80;
  static constexpr uint8_t kKeyEnter = 0x0A;
  static constexpr uint8_t kKeyBackspace = 0x0E;
  static constexpr uint8_t kKeyHelp = '?';

  Monitor();

  // The monitor's turn, on the main loop once the machine has stopped: shows
  // the banner, help and prompt, then takes the keys typed to it (through
  // mode) until the mode gives the keyboard back to the machine.
  void Run();

  // One key, with the command line run on Enter.
  void OnKeyDown(uint8_t key);

  void help();
  void prompt();
  void process_cmd();

  void cpu(Cpu* processor) { processor_ = processor; }
  void io(IO* io) { io_ = io; }
  void mem(Memory* memory) { memory_ = memory; }
  void fat32(korvan::filesystem::Fat32* volume) { volume_ = volume; }
  // Where its keys come from and its commands are begun and ended; without
  // one, a line runs as soon as Enter comes.
  void mode(C64Mode* mode) { mode_ = mode; }

  const char* line() const { return line_; }
  uint8_t line_length() const { return length_; }

 private:
  Cpu* processor_ = nullptr;
  IO* io_ = nullptr;
  Memory* memory_ = nullptr;
  // The commands; false when the machine or volume they need is missing,
  // which the line answers with "?". Each checks its arguments whole before
  // it does anything, and answers a bad one with "? what: argument".
  bool show_memory(const char* from, const char* to);
  bool show_registers();
  bool show_partitions();
  bool show_directory(const char* cluster);
  bool show_image_directory(const char* name);
  bool show_sector(const char* sector, const char* count);
  bool show_file(const char* name);
  bool load_file(const char* name, const char* at);
  bool write_file(const char* name, const char* from, const char* to);
  bool erase_file(const char* name);
  bool rename_file(const char* from, const char* to);
  bool write_test_file(const char* name);

  char line_[kLineCapacity + 1] = {};  // one more for the terminating zero
  uint8_t length_ = 0;
  korvan::filesystem::Fat32* volume_ = nullptr;
  C64Mode* mode_ = nullptr;
  // The line, begun and ended through the mode, so that it runs only while
  // the monitor is shown.
  void run_line();
  // Esc (or F10) came while a command runs: it stops early.
  bool stop_requested() const;
};
