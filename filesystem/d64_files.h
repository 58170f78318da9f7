// Reading and writing one file of a D64 image, byte by byte, as a 1541 channel does.
#pragma once
#include <stdint.h>
#include "filesystem/d64_chain.h"
#include "filesystem/d64_image.h"

namespace korvan {
namespace filesystem {

class D64FileReader {
 public:
  // Opens the first file the pattern matches. REL files are refused (64),
  // and files left unclosed (60), as a 1541 refuses them.
  D64Status Open(D64Image& image, const D64Name& pattern, D64Entry& entry);
  // kD64Ok with the next byte, kD64EndOfFile after the last, or a chain's status.
  D64Status ReadByte(uint8_t& byte);
  // True once the last byte was delivered.
  bool AtEnd() const { return started && position == chain.DataLength() && chain.Last(); }

 private:
  D64ChainReader chain;
  uint16_t position = 0;
  bool started = false;
};

class D64FileWriter {
 public:
  enum class Mode : uint8_t { Create, Replace, Append };

  ~D64FileWriter() { Abandon(); }

  // Create refuses a name that exists (63); Replace writes the new file
  // completely before the old one goes; Append continues an existing file.
  D64Status Open(D64Image& image, const D64Name& name, D64FileType type, Mode mode);
  D64Status WriteByte(uint8_t byte);
  // Completes the file. Blocks are in the BAM before any entry reaches them,
  // so a failure on the way leaves, at worst, blocks the next validate frees.
  D64Status Close();
  // Gives back every block this writer took; the disk keeps what it had.
  void Abandon();
  bool IsOpen() const { return open; }

 private:
  D64Status Fail(D64Status status);
  D64Status TakeBlock(bool first, uint8_t& track, uint8_t& sector);
  // A full block leaves for the disk, except the first of this writing,
  // held until Close so that no chain on disk reaches unwritten blocks.
  D64Status Emit();
  D64Status Finish();
  D64Status StartAppend();

  D64Image* image = nullptr;
  bool open = false;
  D64Status failure = kD64Ok;
  Mode mode = Mode::Create;
  D64Entry entry = {};
  bool replacing = false;
  D64Entry replaced = {};
  D64BlockSet taken;
  uint8_t block[kD64BlockBytes] = {};
  uint8_t track = 0;
  uint8_t sector = 0;
  uint16_t used = 0;
  uint8_t held[kD64BlockBytes] = {};
  uint8_t heldTrack = 0;
  uint8_t heldSector = 0;
  bool holding = false;
};

}  // namespace filesystem
}  // namespace korvan
