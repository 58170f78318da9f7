// The C64 runner: pass by pass, as the machine's main loop drives the face.
#include "tools/c64host/c64_runner.h"

#include <stdio.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "emulator/c64.h"
#include "emulator/memory.h"
#include "face/fake6502_bridge.h"
#include "tests/hosted/simulated_8042.h"

namespace {

constexpr uint16_t kKeyCount = 0x00C6;
constexpr uint8_t kKeyBufferSize = 10;

bool read_file(const std::string& path, std::vector<uint8_t>* bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    fprintf(stderr, "c64host: cannot read %s\n", path.c_str());
    return false;
  }
  bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

bool load_roms_from(const std::string& dir, Memory* memory) {
  std::vector<uint8_t> basic, chargen, kernal;
  if (!read_file(dir + "/basic.bin", &basic) || !read_file(dir + "/chargen.bin", &chargen) ||
      !read_file(dir + "/kernal.bin", &kernal))
    return false;
  memory->load_roms(basic.data(), static_cast<uint32_t>(basic.size()), chargen.data(),
                    static_cast<uint32_t>(chargen.size()), kernal.data(),
                    static_cast<uint32_t>(kernal.size()));
  return true;
}

std::string screen_text(const FaceNode& face) {
  return std::string(reinterpret_cast<const char*>(face.text), kFaceTextSize);
}

void print_screen(const FaceNode& face) {
  for (int32_t row = 0; row < face.height; row++) {
    std::string line(reinterpret_cast<const char*>(face.text) + row * face.width,
                     static_cast<size_t>(face.width));
    size_t end = line.find_last_not_of(' ');
    line.erase(end == std::string::npos ? 0 : end + 1);
    printf("%s\n", line.c_str());
  }
}

}  // namespace

int run_c64(const C64Options& options) {
  // An idle keyboard controller, so the pass's poll finds nothing waiting.
  korvan::hosted::Simulated8042 controller;
  C64 machine;
  if (machine.mem == nullptr) return 2;
  if (!options.roms_dir.empty() && !load_roms_from(options.roms_dir, machine.mem)) return 2;

  std::string typed;
  for (const std::string& text : options.typed) typed += text;
  size_t next_key = 0;
  bool typing = false;
  bool found = false;

  FaceNode& face = g_c64_face;
  machine.begin();
  for (uint32_t pass = 0; pass < options.passes && !found; pass++) {
    if (!machine.run_pass()) break;
    std::string screen = screen_text(face);
    if (!typing && (screen.find("READY.") != std::string::npos || pass >= options.passes / 2))
      typing = true;
    // Only as much as the KERNAL's buffer has room for, so nothing is dropped.
    while (typing && next_key < typed.size() && machine.mem->read_byte_no_io(kKeyCount) < kKeyBufferSize)
      face_key(&face, static_cast<uint8_t>(typed[next_key++]));
    if (options.has_until && screen.find(options.until) != std::string::npos) found = true;
  }
  if (options.screen) print_screen(face);
  return (options.has_until && !found) ? 1 : 0;
}
