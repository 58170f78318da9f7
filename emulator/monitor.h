// The kernel-side debugging monitor: entered with Esc while the machine runs,
// it takes over the console and reads a command line from the keyboard.
#pragma once
#include <stdint.h>

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

  // Shows the banner, help and prompt, then waits until Stop. The keys
  // typed meanwhile arrive through OnKeyDown, from the keyboard interrupt.
  // Start does not activate the monitor itself (a new one is active, later
  // entries call Activate first), so a Stop that comes before Start is seen.
  void Start();
  void Activate() { active_ = true; }
  void Stop() { active_ = false; }
  bool active() const { return active_; }

  void OnKeyDown(uint8_t key);
  void OnKeyUp(uint8_t) {}

  void help();
  void prompt();
  void process_cmd();

  void cpu(Cpu* processor) { processor_ = processor; }
  void io(IO* io) { io_ = io; }
  void mem(Memory* memory) { memory_ = memory; }
  void fat32(korvan::filesystem::Fat32* volume) { volume_ = volume; }

  const char* line() const { return line_; }
  uint8_t line_length() const { return length_; }

 private:
  Cpu* processor_ = nullptr;
  IO* io_ = nullptr;
  Memory* memory_ = nullptr;
  // The commands; false when the arguments (or the missing machine or
  // volume) leave nothing to do, which the line answers with "?".
  bool show_memory(const char* from, const char* to);
  bool show_registers();
  bool show_partitions();
  bool show_directory(const char* cluster);
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
  volatile bool active_ = true;
};
