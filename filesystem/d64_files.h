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
  DriveStatus Open(D64Image& image, const D64Name& pattern, D64Entry& entry);
  // kDriveOk with the next byte, kDiskEndOfFile after the last, or a chain's status.
  DriveStatus ReadByte(uint8_t& byte);
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
  DriveStatus Open(D64Image& image, const D64Name& name, CbmFileType type, Mode mode);
  DriveStatus WriteByte(uint8_t byte);
  // Completes the file. Blocks are in the BAM before any entry reaches them,
  // so a failure on the way leaves, at worst, blocks the next validate frees.
  DriveStatus Close();
  // Gives back every block this writer took; the disk keeps what it had.
  void Abandon();
  bool IsOpen() const { return open; }

 private:
  DriveStatus Fail(DriveStatus status);
  DriveStatus TakeBlock(bool first, uint8_t& track, uint8_t& sector);
  // A full block leaves for the disk, except the first of this writing,
  // held until Close so that no chain on disk reaches unwritten blocks.
  DriveStatus Emit();
  DriveStatus Finish();
  DriveStatus StartAppend();

  D64Image* image = nullptr;
  bool open = false;
  DriveStatus failure = kDriveOk;
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
