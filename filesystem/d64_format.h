// D64 (1541 disk image) on-disk layout and the drive statuses its operations end in.
#pragma once
#include <stdint.h>

namespace korvan {
namespace filesystem {

// Results of the image's operations: the 1541's own error numbers, so that
// the command channel can report them as the drive would.
enum D64Status : uint8_t {
  kD64Ok = 0,
  kD64FilesScratched = 1,
  kD64ReadError = 20,          // 20 to 29: a read error, also as recorded in the error bytes
  kD64WriteError = 25,
  kD64InvalidName = 33,        // a pattern where one file must be named, or a name too long
  kD64NoName = 34,
  kD64WriteFileOpen = 60,
  kD64FileNotOpen = 61,
  kD64FileNotFound = 62,
  kD64FileExists = 63,
  kD64FileTypeMismatch = 64,
  kD64IllegalTrackSector = 66, // a link that leaves the disk
  kD64DirError = 71,           // the BAM disagrees with itself or with the chains, or a chain loops
  kD64NoChannel = 70,
  kD64DiskFull = 72,
  kD64NotAnImage = 74,         // no disk in the drive: the file is no D64 image
  kD64EndOfFile = 0xFF,        // not a drive status: a read past the last byte
};

constexpr uint32_t kD64BlockBytes = 256;
constexpr uint8_t kD64DirectoryTrack = 18;
constexpr uint8_t kD64BamSector = 0;
constexpr uint8_t kD64FirstDirectorySector = 1;
// Interleaves a 1541 uses: directory sectors three apart, file blocks ten.
constexpr uint8_t kD64DirectoryInterleave = 3;
constexpr uint8_t kD64FileInterleave = 10;

// Every block starts with the link to the next one; a last block has track 0
// and, in place of the sector, the offset of its last used byte.
constexpr uint32_t kD64LinkTrack = 0;
constexpr uint32_t kD64LinkSector = 1;
constexpr uint32_t kD64BlockData = 2;
constexpr uint32_t kD64DataPerBlock = kD64BlockBytes - kD64BlockData;  // 254

// BAM sector (18/0).
constexpr uint32_t kBamDosVersion = 2;     // 'A'
constexpr uint32_t kBamTracks = 4;         // 4 bytes per track 1-35: free count, then 24 bits, sector 0 lowest
constexpr uint32_t kBamEntryBytes = 4;
constexpr uint32_t kBamDiskName = 144;     // 16 bytes, padded with shifted spaces
constexpr uint32_t kBamDiskId = 162;       // 2 bytes
constexpr uint32_t kBamDosType = 165;      // "2A"
// Tracks 36-40 of 40-track images, where the DOS extensions that use them keep their BAM.
constexpr uint32_t kBamDolphinTracks = 0xAC;
constexpr uint32_t kBamSpeedTracks = 0xC0;
constexpr uint8_t kBamStandardTracks = 35;

// Directory entries, 8 to a sector; the first entry's first two bytes are the sector's link.
constexpr uint32_t kDirEntryBytes = 32;
constexpr uint32_t kDirEntriesPerSector = 8;
constexpr uint32_t kDirType = 2;
constexpr uint32_t kDirFirstTrack = 3;
constexpr uint32_t kDirFirstSector = 4;
constexpr uint32_t kDirName = 5;
constexpr uint32_t kDirSideTrack = 21;     // REL: first side sector
constexpr uint32_t kDirSideSector = 22;
constexpr uint32_t kDirRecordLength = 23;
constexpr uint32_t kDirBlocks = 30;        // 16 bits, low byte first
constexpr uint32_t kD64NameBytes = 16;
constexpr uint8_t kShiftedSpace = 0xA0;

// File type byte: the type in the low bits, closed and locked flags above.
constexpr uint8_t kTypeMask = 0x07;
constexpr uint8_t kTypeClosed = 0x80;
constexpr uint8_t kTypeLocked = 0x40;
enum class D64FileType : uint8_t { Del = 0, Seq = 1, Prg = 2, Usr = 3, Rel = 4 };

// Error bytes after the last block: 1 (or 0) is a good sector, 2 to 11 the
// read errors 20 to 29 a 1541 would report for it.
constexpr uint8_t kErrorByteGood = 1;
constexpr uint8_t kErrorByteFirst = 2;
constexpr uint8_t kErrorByteLast = 11;
constexpr uint8_t kErrorByteToStatus = 18;

}  // namespace filesystem
}  // namespace korvan
