// The FAT32 volume's root directory as a Commodore disk: NAME.PRG, NAME.SEQ
// and NAME.USR are files of those types named NAME, NAME.D64 a disk image
// of type D64 (entered with CD, read as bytes), directories are DIR,
// and a file with any other extension is a PRG named as it stands
// ("README.TXT"; "NOTES." for one without an extension).
#pragma once
#include "filesystem/cbm_disk.h"
#include "filesystem/fat.h"

namespace korvan {
namespace filesystem {

class FatDisk : public CbmDisk {
 public:
  // The volume's open-file slots from here on belong to the handles; the
  // ones below stay for the volume's other users.
  static constexpr uint8_t kFirstSlot = 2;
  static_assert(kFirstSlot + kHandles <= Fat32::kOpenFileSlots, "every handle needs a slot");
  // The 12-character form NNNNNNNN.EEE and its terminator.
  static constexpr uint32_t kVolumeNameBytes = 13;

  explicit FatDisk(Fat32& volume);
  // Completes every file still open.
  ~FatDisk() override;
  FatDisk(const FatDisk&) = delete;
  FatDisk& operator=(const FatDisk&) = delete;

  void Title(uint8_t (&name)[kCbmNameBytes], uint8_t (&id)[5]) override;
  DriveStatus List(Visitor& visitor) override;
  uint32_t FreeBlocks() override;
  DriveStatus OpenRead(uint8_t handle, const CbmName& name, CbmFileType type) override;
  DriveStatus Create(uint8_t handle, const CbmName& name, CbmFileType type, bool replace) override;
  DriveStatus OpenAppend(uint8_t handle, const CbmName& name, CbmFileType type) override;
  DriveStatus Read(uint8_t handle, uint8_t& byte) override;
  DriveStatus Write(uint8_t handle, uint8_t byte) override;
  DriveStatus Close(uint8_t handle) override;
  DriveStatus Scratch(const CbmName& name, CbmFileType type) override;
  DriveStatus Rename(const CbmName& from, CbmFileType type, const CbmName& to) override;
  DriveStatus Validate(uint32_t& problems) override;

  // The entry as this disk lists it; false for entries it does not list.
  static bool DescribeEntry(const uint8_t* entry, CbmEntry& out);
  // The volume's name for a file of that name and type; false when the
  // volume cannot hold such a name.
  static bool VolumeName(const CbmName& name, CbmFileType type, char (&out)[kVolumeNameBytes]);

 private:
  // A file written under a stand-in name until it is complete, then given
  // the name of the file it replaces.
  struct Handle {
    bool open;
    bool standIn;
    char finalName[kVolumeNameBytes];
    char writtenName[kVolumeNameBytes];
  };

  Handle* HandleAt(uint8_t handle);
  DriveStatus Status(int fatStatus) const;
  DriveStatus BeginStandIn(uint8_t handle, const char* finalName);

  Fat32& volume_;
  Handle handles_[kHandles];
};

}  // namespace filesystem
}  // namespace korvan
