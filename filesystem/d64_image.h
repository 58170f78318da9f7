// A D64 image mounted from wherever its bytes live: geometry, BAM, blocks,
// the directory and what changes it. Files are read and written through
// D64FileReader and D64FileWriter; the listing comes from D64Listing.
#pragma once
#include <stdint.h>
#include "filesystem/d64_bam.h"
#include "filesystem/d64_format.h"
#include "filesystem/d64_geometry.h"

namespace korvan {
namespace filesystem {

// The bytes of an image: a file on the FAT volume, or memory in tests.
class D64ImageStore {
 public:
  virtual uint32_t Size() = 0;
  virtual bool Read(uint32_t offset, uint8_t* data, uint32_t length) = 0;
  virtual bool Write(uint32_t offset, const uint8_t* data, uint32_t length) = 0;

 protected:
  ~D64ImageStore() = default;
};

// A file name or pattern as the C64 sends it: up to 16 PETSCII bytes.
struct D64Name {
  uint8_t bytes[kD64NameBytes];
  uint8_t length;

  // False when the text does not fit a directory entry.
  static bool From(const uint8_t* text, uint32_t length, D64Name& name);
  static bool From(const char* text, D64Name& name);
  // The name stored in an entry: up to its first shifted space.
  static D64Name OfEntry(const uint8_t* entry);
  bool HasWildcards() const;
  bool Equals(const D64Name& other) const;
  // 1541 matching: '?' stands for any one character, '*' for all the rest.
  bool Matches(const D64Name& name) const;
};

// Where a directory entry lies: its sector and its index (0 to 7) there.
struct D64EntryPlace {
  uint8_t track;
  uint8_t sector;
  uint8_t index;
};

// The parts of a directory entry the drive acts on.
struct D64Entry {
  D64EntryPlace place;
  uint8_t typeByte;
  uint8_t firstTrack;
  uint8_t firstSector;
  uint16_t blocks;
  D64Name name;

  CbmFileType Type() const { return static_cast<CbmFileType>(typeByte & kTypeMask); }
  bool Closed() const { return (typeByte & kTypeClosed) != 0; }
  bool Locked() const { return (typeByte & kTypeLocked) != 0; }
};

class D64Image {
 public:
  static constexpr uint8_t kMaxWriters = 15;

  explicit D64Image(D64ImageStore& store) : store(store) {}

  // Recognises the image by its size and reads its BAM.
  DriveStatus Mount();
  const D64Geometry& Geometry() const { return geometry; }
  const D64Bam& Bam() const { return bam; }

  // Track and sector the last failure concerns, for the status message.
  uint8_t ErrorTrack() const { return errorTrack; }
  uint8_t ErrorSector() const { return errorSector; }
  DriveStatus Fail(DriveStatus status, uint8_t track, uint8_t sector);

  // One 256-byte block; a block outside the disk is 66, an error byte 20-29.
  DriveStatus ReadBlock(uint8_t track, uint8_t sector, uint8_t* data);
  DriveStatus WriteBlock(uint8_t track, uint8_t sector, const uint8_t* data);

  // Calls visit(entry bytes, place) for every entry of the directory chain;
  // visit answers Continue, Stop or WriteBack (write the sector, then stop).
  // kDriveFileNotFound when the chain ended without a stop.
  enum class Visit { Continue, Stop, WriteBack };
  template <typename Visitor>
  DriveStatus WalkDirectory(Visitor visit);

  // The first live entry (not scratched) whose name the pattern matches.
  DriveStatus Find(const D64Name& pattern, D64Entry& entry);

  // Changes refuse with a status on a disk whose BAM or chains are damaged:
  // blocks the BAM calls free that a file holds would be handed out again.
  DriveStatus CheckWritable();
  DriveStatus WriteBam();
  D64Bam& MutableBam() { return bam; }
  // Stores the entry's name, type, first block and block count at its place;
  // fresh clears what a scratched entry there left behind.
  DriveStatus UpdateEntry(const D64Entry& entry, bool fresh);
  // A slot for a new entry: a scratched one, or a new directory sector,
  // which is then written (empty) and linked in; its block taken in the BAM.
  DriveStatus NewEntryPlace(D64EntryPlace& place);

  // Names of files being written, which count as existing.
  bool BeginWriting(const D64Name& name);
  void EndWriting(const D64Name& name);
  bool BeingWritten(const D64Name& name) const;

  // Scratches every closed or unclosed file matching the pattern that is
  // not locked: kDriveFilesScratched with count (also the status's track).
  DriveStatus Scratch(const D64Name& pattern, uint8_t& count);
  DriveStatus Rename(const D64Name& newName, const D64Name& oldName);
  // Rebuilds the BAM from the chains of the closed files and removes the
  // unclosed ones, as a 1541 validates; changed says whether anything had to.
  DriveStatus Validate(bool& changed);

 private:
  D64ImageStore& store;
  D64Geometry geometry;
  D64Bam bam;
  bool mounted = false;
  // Whether the chains were checked against the BAM since the mount, and the verdict.
  bool checked = false;
  DriveStatus checkVerdict = kDriveOk;
  uint8_t errorTrack = 0;
  uint8_t errorSector = 0;
  D64Name writing[kMaxWriters] = {};
  bool writingUsed[kMaxWriters] = {};
};

template <typename Visitor>
DriveStatus D64Image::WalkDirectory(Visitor visit) {
  if (!mounted) return kDriveNotReady;
  uint8_t sector[kD64BlockBytes];
  uint8_t track = kD64DirectoryTrack;
  uint8_t index = kD64FirstDirectorySector;
  D64BlockSet seen;
  // Every block at most once: a chain that comes back is damage, not more directory.
  for (uint16_t walked = 0; walked < geometry.Blocks(); walked++) {
    if (!geometry.IsBlock(track, index)) return Fail(kDriveIllegalTrackSector, track, index);
    uint16_t block = geometry.BlockIndex(track, index);
    if (seen.Contains(block)) return Fail(kDriveDirError, track, index);
    seen.Add(block);
    DriveStatus status = ReadBlock(track, index, sector);
    if (status != kDriveOk) return status;
    for (uint8_t i = 0; i < kDirEntriesPerSector; i++) {
      Visit action = visit(sector + kDirEntryBytes * i, D64EntryPlace{track, index, i});
      if (action == Visit::Stop) return kDriveOk;
      if (action == Visit::WriteBack) return WriteBlock(track, index, sector);
    }
    if (sector[kD64LinkTrack] == 0) return kDriveFileNotFound;
    track = sector[kD64LinkTrack];
    index = sector[kD64LinkSector];
  }
  return Fail(kDriveDirError, track, index);
}

}  // namespace filesystem
}  // namespace korvan
