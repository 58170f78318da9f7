// D64 (1541 disk image) on-disk layout. Its operations end in the drive's own
// statuses (DriveStatus), the 1541's error numbers, so the command channel
// reports them as the drive would; an image that is none is 74, no disk.
#pragma once
#include <stdint.h>
#include "filesystem/cbm_disk.h"

namespace korvan {
namespace filesystem {

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
// The low bits are CbmFileType's Del to Rel.

// Error bytes after the last block: 1 (or 0) is a good sector, 2 to 11 the
// read errors 20 to 29 a 1541 would report for it.
constexpr uint8_t kErrorByteGood = 1;
constexpr uint8_t kErrorByteFirst = 2;
constexpr uint8_t kErrorByteLast = 11;
constexpr uint8_t kErrorByteToStatus = 18;

}  // namespace filesystem
}  // namespace korvan
