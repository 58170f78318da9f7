// A disk as a Commodore drive presents it: one directory of named, typed
// files, opened by exact name. Drive 8 serves the C64 from whichever disk is
// current (the FAT32 volume, or an image on it); patterns, channels and the
// command channel are the drive's, so every disk gets them alike.
#pragma once
#include <stdint.h>

namespace korvan {
namespace filesystem {

// The drive's status numbers, as a 1541 reports them on its error channel.
// Disk operations return them too, so the drive shows what the disk found.
enum DriveStatus : uint8_t {
  kDriveOk = 0,
  kDriveFilesScratched = 1,
  // 20 to 29: what a 1541 found wrong with a sector; a D64 image records
  // them in its error bytes.
  kDriveReadError = 20,
  kDriveNoSync = 21,
  kDriveNoDataBlock = 22,
  kDriveChecksumError = 23,
  kDriveDecodingError = 24,
  kDriveWriteError = 25,
  kDriveWriteProtect = 26,
  kDriveHeaderChecksum = 27,
  kDriveLongDataBlock = 28,
  kDriveIdMismatch = 29,
  kDriveSyntaxError = 30,
  kDriveInvalidCommand = 31,
  kDriveLongLine = 32,
  kDriveInvalidName = 33,
  kDriveNoName = 34,
  kDriveWriteFileOpen = 60,
  kDriveFileNotOpen = 61,
  kDriveFileNotFound = 62,
  kDriveFileExists = 63,
  kDriveTypeMismatch = 64,
  kDriveIllegalTrackSector = 66,  // a link that leaves the disk
  kDriveNoChannel = 70,
  kDriveDirError = 71,  // the BAM disagrees with the chains, or a chain loops
  kDriveDiskFull = 72,
  kDrivePowerUp = 73,
  kDriveNotReady = 74,
  // Not a drive status: a read found no more bytes.
  kDiskEndOfFile = 0xFF,
};

// Del to Rel are the type numbers of a 1541 directory entry.
enum class CbmFileType : uint8_t { Del, Seq, Prg, Usr, Rel, Dir, D64 };

// The three letters a listing shows for a type.
const char* CbmTypeName(CbmFileType type);

constexpr uint8_t kCbmNameBytes = 16;
// 254 data bytes fill a block of a 1541 disk; listings count files in them.
constexpr uint32_t kCbmBlockBytes = 254;
constexpr uint32_t kCbmMostBlocks = 0xFFFF;

// max(1, ceil(bytes / 254)), at most 65,535: the block count of a file that size.
uint32_t CbmBlocks(uint32_t bytes);

struct CbmName {
  uint8_t bytes[kCbmNameBytes];
  uint8_t length;
};

struct CbmEntry {
  CbmName name;
  CbmFileType type;
  uint32_t blocks;
  bool closed;  // false: written but never closed (listed with *)
  bool locked;  // listed with <
};

class CbmDisk {
 public:
  // Handles name the open files; each disk has kHandles of them.
  static constexpr uint8_t kHandles = 8;

  // Sees the entries in directory order; returns false to end the walk.
  class Visitor {
   public:
    virtual bool Visit(const CbmEntry& entry) = 0;

   protected:
    ~Visitor() {}
  };

  virtual ~CbmDisk() {}
  // The header line: the disk name (blank padded) and its five id bytes.
  virtual void Title(uint8_t (&name)[kCbmNameBytes], uint8_t (&id)[5]) = 0;
  // Every entry, in directory order, until the visitor stops.
  virtual DriveStatus List(Visitor& visitor) = 0;
  virtual uint32_t FreeBlocks() = 0;
  // The directory as LOAD "$" receives it, load address first, in at most
  // capacity bytes; length 0 when none could be made. By default the lines
  // RenderCbmListing builds, for $0801. The status tells of damage met on
  // the way: the listing then ends there.
  virtual DriveStatus Listing(uint8_t* out, uint32_t capacity, uint32_t& length);

  // The file name and type of an entry List showed, exactly.
  virtual DriveStatus OpenRead(uint8_t handle, const CbmName& name, CbmFileType type) = 0;
  // A new file; with replace, an existing one of that name and type is only
  // replaced when the new one is closed complete.
  virtual DriveStatus Create(uint8_t handle, const CbmName& name, CbmFileType type, bool replace) = 0;
  // An existing file, to be written on at its end.
  virtual DriveStatus OpenAppend(uint8_t handle, const CbmName& name, CbmFileType type) = 0;
  // kDriveOk with a byte, kDiskEndOfFile, or an error.
  virtual DriveStatus Read(uint8_t handle, uint8_t& byte) = 0;
  virtual DriveStatus Write(uint8_t handle, uint8_t byte) = 0;
  // Completes a written file; a handle that is not open is no error.
  virtual DriveStatus Close(uint8_t handle) = 0;

  virtual DriveStatus Scratch(const CbmName& name, CbmFileType type) = 0;
  virtual DriveStatus Rename(const CbmName& from, CbmFileType type, const CbmName& to) = 0;
  // V0: checks the disk's structure as far as the disk can mend it. The FAT
  // volume is only checked and reported on; an image's BAM is rebuilt from
  // its chains, as a 1541 does. damaged: the number of files left damaged.
  virtual DriveStatus Validate(uint32_t& damaged) = 0;
  // Where the last read error (20 to 29), bad link (66) or directory error
  // (71) lay, for the status message; 0, 0 when the disk has no tracks.
  virtual void ErrorPlace(uint8_t& track, uint8_t& sector) {
    track = 0;
    sector = 0;
  }
};

// What the drive's CD command changes: the disk it serves, the FAT volume's
// root or a D64 image on it.
class CbmDiskChanger {
 public:
  // The volume's root, where the images are found.
  virtual CbmDisk& Root() = 0;
  // The image of that name (as the root lists it, type D64) as the disk to
  // serve; the image entered before is left only when this one mounts, and
  // the status says why one did not. No file may be open on either.
  virtual DriveStatus EnterImage(const CbmName& name, CbmDisk*& disk) = 0;
  // No image entered any more; no file may be open on it.
  virtual void LeaveImage() = 0;

 protected:
  ~CbmDiskChanger() {}
};

// The directory as the C64 LOAD "$" receives it: a BASIC program for $0801
// with the header line, one line per entry, and the free blocks. Entries
// that do not fit in capacity bytes are counted on a last line instead.
// Returns the length, 0 if capacity cannot hold even the header and footer.
uint32_t RenderCbmListing(CbmDisk& disk, uint8_t* out, uint32_t capacity);

}  // namespace filesystem
}  // namespace korvan
