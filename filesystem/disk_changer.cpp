// Entering and leaving D64 images on the FAT volume.
#include "filesystem/disk_changer.h"

namespace korvan {
namespace filesystem {

DriveStatus DiskChanger::EnterImage(const CbmName& name, CbmDisk*& disk) {
  char volumeName[FatDisk::kVolumeNameBytes];
  if (!FatDisk::VolumeName(name, CbmFileType::D64, volumeName)) return kDriveFileNotFound;
  Image* entered = new Image(volume_, volumeName);
  if (entered == nullptr) return kDriveNoChannel;
  DriveStatus status = entered->disk.Mount();
  if (status != kDriveOk) {
    delete entered;
    return status;
  }
  LeaveImage();
  image_ = entered;
  disk = &entered->disk;
  return kDriveOk;
}

void DiskChanger::LeaveImage() {
  delete image_;
  image_ = nullptr;
}

}  // namespace filesystem
}  // namespace korvan
