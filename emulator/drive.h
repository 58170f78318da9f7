// Drive 8 as a 1541 presents itself to the C64: sixteen channels by
// secondary address, names with a drive prefix and patterns, "@" to replace,
// the directory as a program, and the command and error channel 15. It
// serves whatever disk is current.
#pragma once
#include <stdint.h>

#include "filesystem/cbm_disk.h"

class Drive {
 public:
  using CbmDisk = korvan::filesystem::CbmDisk;
  using CbmDiskChanger = korvan::filesystem::CbmDiskChanger;
  using CbmName = korvan::filesystem::CbmName;
  using CbmFileType = korvan::filesystem::CbmFileType;
  using DriveStatus = korvan::filesystem::DriveStatus;

  static constexpr uint8_t kChannels = 16;
  static constexpr uint8_t kLoadChannel = 0;
  static constexpr uint8_t kSaveChannel = 1;
  static constexpr uint8_t kCommandChannel = 15;
  // The longest command a 1541 takes in one go.
  static constexpr uint8_t kCommandBytes = 58;
  // "NN,TEXT,TT,SS" and its carriage return.
  static constexpr uint8_t kStatusTextBytes = 48;
  // A listing never grows past what a load can place in 64 KB.
  static constexpr uint32_t kMostListingBytes = 0xFFFF;

  Drive();
  ~Drive();
  Drive(const Drive&) = delete;
  Drive& operator=(const Drive&) = delete;

  // The disk the drive serves from now on (null: none); every channel is
  // closed first. The disk is not owned.
  void disk(CbmDisk* disk);
  // What CD changes (null: the command is refused); not owned.
  void changer(CbmDiskChanger* changer) { changer_ = changer; }
  // The bytes the next directory opened may take, header and footer
  // included; entries beyond are counted on a "left out" line.
  void listing_room(uint32_t bytes) { listing_room_ = bytes; }

  // OPEN on secondary address sa (only its low four bits count) with the
  // name sent, possibly empty. The outcome is the drive's status.
  void open(uint8_t sa, const uint8_t* name, uint8_t length);
  // CLOSE: a written file is completed. Closing channel 15 closes all.
  void close(uint8_t sa);
  void close_all();
  // One byte from a channel: kDriveOk and the byte, last set on the final
  // one; kDiskEndOfFile past it; an error when nothing can be read.
  DriveStatus read(uint8_t sa, uint8_t& byte, bool& last);
  // One byte to a channel; channel 15 collects a command, run at the
  // carriage return.
  DriveStatus write(uint8_t sa, uint8_t byte);
  // The end of what was sent to sa: a command there without its carriage
  // return runs now.
  void unlisten(uint8_t sa);

  DriveStatus status() const { return status_; }
  // The status as channel 15 reads it, without its carriage return.
  const char* status_text() const { return status_text_; }

 private:
  enum class Mode : uint8_t { Closed, Read, Write, Listing };
  struct Channel {
    Mode mode;
    uint8_t handle;    // the disk's handle for Read and Write
    bool has_next;     // Read: next holds the byte to deliver
    uint8_t next;
    bool failed;       // Write: a write failed, the rest is dropped
    // Read: what came after the last byte, kDiskEndOfFile or the disk's
    // error; Listing: damage met while listing, reported when it is closed.
    DriveStatus outcome;
    uint8_t* listing;  // Listing: the rendered directory
    uint32_t length;
    uint32_t position;
  };
  // What an OPEN name says: [@][d:]pattern[,type][,mode].
  struct FileRequest {
    bool replace;
    bool directory;
    CbmName pattern;
    bool typed;
    CbmFileType type;
    char mode;  // 'R', 'W', 'A' or 'M'
  };

  void set_status(DriveStatus status, uint8_t track = 0, uint8_t sector = 0);
  DriveStatus parse_file_name(const uint8_t* name, uint8_t length, uint8_t sa, FileRequest& request) const;
  DriveStatus open_file(Channel& channel, uint8_t sa, const FileRequest& request);
  DriveStatus open_listing(Channel& channel);
  // The first entry matching pattern (of type when typed), in directory order.
  DriveStatus find(CbmDisk& disk, const CbmName& pattern, bool typed, CbmFileType type, CbmName& name,
                   CbmFileType& found);
  // As find, and 64 (type mismatch) when only files of other types match.
  DriveStatus find_typed(CbmDisk& disk, const CbmName& pattern, bool typed, CbmFileType type, CbmName& name,
                         CbmFileType& found);
  bool take_handle(uint8_t& handle) const;
  void fetch_next(Channel& channel);
  void release(Channel& channel);
  DriveStatus read_status(uint8_t& byte, bool& last);

  void run_command();
  DriveStatus scratch(const uint8_t* names, uint8_t length, uint8_t& scratched);
  DriveStatus rename(const uint8_t* text, uint8_t length);
  DriveStatus change_disk(const uint8_t* text, uint8_t length);

  CbmDisk* disk_ = nullptr;
  CbmDiskChanger* changer_ = nullptr;
  Channel channels_[kChannels];
  uint32_t listing_room_ = kMostListingBytes;
  CbmName last_loaded_;
  bool loaded_since_start_ = false;
  uint8_t command_[kCommandBytes];
  uint8_t command_length_ = 0;
  bool command_too_long_ = false;
  DriveStatus status_;
  char status_text_[kStatusTextBytes];
  uint8_t status_position_ = 0;
};
