// The disks drive 8 finds on one FAT volume: the root directory, and the
// D64 image on it that CD entered, if any.
#pragma once
#include "filesystem/cbm_disk.h"
#include "filesystem/d64_disk.h"
#include "filesystem/d64_fat_store.h"
#include "filesystem/fat_disk.h"

namespace korvan {
namespace filesystem {

class DiskChanger final : public CbmDiskChanger {
 public:
  explicit DiskChanger(Fat32& volume) : volume_(volume), root_(volume) {}
  ~DiskChanger() { LeaveImage(); }
  DiskChanger(const DiskChanger&) = delete;
  DiskChanger& operator=(const DiskChanger&) = delete;

  CbmDisk& Root() override { return root_; }
  // 62 for a name the volume cannot hold, 74 (no disk) for a file of no D64
  // size, 70 when there is no memory for it.
  DriveStatus EnterImage(const CbmName& name, CbmDisk*& disk) override;
  void LeaveImage() override;

 private:
  // An image's bytes in the volume's file, and the disk made of them.
  struct Image {
    Image(Fat32& volume, const char* name) : store(volume, name), disk(store) {}
    D64FatStore store;
    D64Disk disk;
  };

  Fat32& volume_;
  FatDisk root_;
  Image* image_ = nullptr;
};

}  // namespace filesystem
}  // namespace korvan
