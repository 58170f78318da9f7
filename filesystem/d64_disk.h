// A D64 image served as drive 8's disk: the image's directory, files and
// BAM behind the drive's channels, with the 1541's listing and statuses.
#pragma once
#include "filesystem/cbm_disk.h"
#include "filesystem/d64_files.h"
#include "filesystem/d64_image.h"

namespace korvan {
namespace filesystem {

class D64Disk : public CbmDisk {
 public:
  // The store must outlive the disk; Mount says whether it holds an image.
  explicit D64Disk(D64ImageStore& store) : image_(store) {}
  // Completes every file still open.
  ~D64Disk() override;
  D64Disk(const D64Disk&) = delete;
  D64Disk& operator=(const D64Disk&) = delete;

  // 74 (no disk) for bytes of no D64 size, or the status of the BAM's read.
  DriveStatus Mount() { return image_.Mount(); }

  void Title(uint8_t (&name)[kCbmNameBytes], uint8_t (&id)[5]) override;
  DriveStatus List(Visitor& visitor) override;
  uint32_t FreeBlocks() override { return image_.Bam().BlocksFree(); }
  DriveStatus Listing(uint8_t* out, uint32_t capacity, uint32_t& length) override;
  DriveStatus OpenRead(uint8_t handle, const CbmName& name, CbmFileType type) override;
  DriveStatus Create(uint8_t handle, const CbmName& name, CbmFileType type, bool replace) override;
  DriveStatus OpenAppend(uint8_t handle, const CbmName& name, CbmFileType type) override;
  DriveStatus Read(uint8_t handle, uint8_t& byte) override;
  DriveStatus Write(uint8_t handle, uint8_t byte) override;
  DriveStatus Close(uint8_t handle) override;
  DriveStatus Scratch(const CbmName& name, CbmFileType type) override;
  DriveStatus Rename(const CbmName& from, CbmFileType type, const CbmName& to) override;
  // Rebuilds the BAM from the chains as a 1541's V0 does; damaged is 0
  // after a rebuild, since nothing is left damaged.
  DriveStatus Validate(uint32_t& damaged) override;
  void ErrorPlace(uint8_t& track, uint8_t& sector) override {
    track = image_.ErrorTrack();
    sector = image_.ErrorSector();
  }

 private:
  enum class Use : uint8_t { Free, Reading, Writing };
  struct Handle {
    Use use = Use::Free;
    D64FileReader reader;
    D64FileWriter writer;
  };

  Handle* FreeHandle(uint8_t handle);
  DriveStatus OpenWriter(uint8_t handle, const CbmName& name, CbmFileType type, D64FileWriter::Mode mode);
  bool Writing() const;

  D64Image image_;
  Handle handles_[kHandles];
};

}  // namespace filesystem
}  // namespace korvan
