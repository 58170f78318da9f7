// Drive 8 serving a D64 image: damaged images end in the command channel's
// status, in bounded time and inside the image, and changes that would
// break a file being written are refused.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>

#include "emulator/drive.h"
#include "filesystem/d64_disk.h"
#include "tests/fat/d64_image_support.h"
#include "tests/fat/fat_image.h"

namespace {

using namespace korvan::filesystem;
using d64_test::MemoryImageStore;
using fat_test::Pattern;
using fat_test::Quote;
using fat_test::ReadHostFile;
using fat_test::ScratchDirectory;
using fat_test::Shell;
using fat_test::WriteHostFile;

// BIG (3000 bytes, 12 blocks) then NOTES (SEQ), made by cc1541.
class DriveOnImage : public ::testing::Test {
 protected:
  DriveOnImage() {
    big = Pattern(3000, 7);
    WriteHostFile(scratch.File("big.bin"), big);
    auto made = Shell("cd " + Quote(scratch.File("")) +
                      " && cc1541 -q -f big -w big.bin -f notes -T SEQ -w big.bin t.d64");
    EXPECT_EQ(made.status, 0) << made.output;
    pristine = ReadHostFile(scratch.File("t.d64"));
    D64Geometry::FromImageSize(static_cast<uint32_t>(pristine.size()), geometry);
  }

  // The image's bytes at a block, and the first block of the first entry.
  uint8_t* Block(std::vector<uint8_t>& bytes, uint8_t track, uint8_t sector) {
    return &bytes[geometry.BlockOffset(track, sector)];
  }
  uint8_t* FirstEntry(std::vector<uint8_t>& bytes) { return Block(bytes, 18, 1); }

  // Serves bytes as drive 8's disk; the drive's status afterwards.
  struct Served {
    explicit Served(std::vector<uint8_t> bytes) : store(std::move(bytes)), disk(store) {
      mounted = disk.Mount();
      drive.disk(&disk);
    }
    ~Served() { drive.disk(nullptr); }
    void Command(const char* text) { drive.open(Drive::kCommandChannel, reinterpret_cast<const uint8_t*>(text), strlen(text)); }
    void Open(uint8_t sa, const char* name) { drive.open(sa, reinterpret_cast<const uint8_t*>(name), strlen(name)); }
    // Every byte the channel gives; ended is what came instead of the next.
    std::vector<uint8_t> ReadAll(uint8_t sa, DriveStatus& ended) {
      std::vector<uint8_t> bytes;
      uint8_t byte = 0;
      bool last = false;
      for (uint32_t i = 0; i < 0x20000; i++) {
        ended = drive.read(sa, byte, last);
        if (ended != kDriveOk) break;
        bytes.push_back(byte);
      }
      return bytes;
    }
    std::string Status() const { return drive.status_text(); }

    MemoryImageStore store;
    D64Disk disk;
    DriveStatus mounted;
    Drive drive;
  };

  ScratchDirectory scratch;
  std::vector<uint8_t> big;
  std::vector<uint8_t> pristine;
  D64Geometry geometry;
};

TEST_F(DriveOnImage, DamagedImagesEndInTheCommandChannelsStatusInsideTheImage) {
  {
    Served whole(pristine);
    ASSERT_EQ(whole.mounted, kDriveOk);
    whole.Open(0, "B*");
    DriveStatus ended;
    std::vector<uint8_t> read = whole.ReadAll(0, ended);
    EXPECT_EQ(ended, kDiskEndOfFile);
    EXPECT_EQ(read, big);
    EXPECT_EQ(whole.Status(), "00, OK,00,00");
  }
  uint8_t* entry = FirstEntry(pristine) ;
  uint8_t firstTrack = entry[kDirFirstTrack], firstSector = entry[kDirFirstSector];
  uint8_t* first = Block(pristine, firstTrack, firstSector);
  struct Damage {
    const char* what;
    std::function<void(std::vector<uint8_t>&)> apply;
    std::string status;  // with the track and sector it names
    bool opens;
  };
  auto at = [](const char* status, int track, int sector) {
    char text[64];
    snprintf(text, sizeof(text), "%s,%02d,%02d", status, track, sector);
    return std::string(text);
  };
  const Damage damages[] = {
      {"the second block links back to the first",
       [&](std::vector<uint8_t>& b) {
         uint8_t* second = Block(b, first[0], first[1]);
         second[0] = firstTrack;
         second[1] = firstSector;
       },
       at("71,DIR ERROR", firstTrack, firstSector), true},
      {"the first block links off the disk",
       [&](std::vector<uint8_t>& b) { Block(b, firstTrack, firstSector)[0] = 41; },
       at("66,ILLEGAL TRACK OR SECTOR", 41, first[1]), true},
      {"the entry points at track 0",
       [&](std::vector<uint8_t>& b) { FirstEntry(b)[kDirFirstTrack] = 0; },
       at("66,ILLEGAL TRACK OR SECTOR", 0, firstSector), false},
      {"the first block is marked bad in the error bytes",
       [&](std::vector<uint8_t>& b) {
         b.resize(b.size() + geometry.Blocks(), kErrorByteGood);
         D64Geometry withErrors;
         D64Geometry::FromImageSize(static_cast<uint32_t>(b.size()), withErrors);
         b[withErrors.ErrorByteOffset(firstTrack, firstSector)] = 5;
       },
       at("23,READ ERROR", firstTrack, firstSector), false},
  };
  for (const Damage& damage : damages) {
    std::vector<uint8_t> bytes = pristine;
    damage.apply(bytes);
    Served served(bytes);
    ASSERT_EQ(served.mounted, kDriveOk) << damage.what;
    served.Open(0, "BIG");
    DriveStatus ended = kDriveOk;
    std::vector<uint8_t> read = served.ReadAll(0, ended);
    // Never the end of a whole file: an error, and the status says which.
    EXPECT_NE(ended, kDiskEndOfFile) << damage.what;
    EXPECT_EQ(served.Status(), damage.status) << damage.what;
    EXPECT_LT(read.size(), big.size()) << damage.what;
    if (!damage.opens) EXPECT_TRUE(read.empty()) << damage.what;
    served.drive.close(0);
    // N names no sector, whatever the last error was.
    served.Command("N0:NEW,01");
    EXPECT_EQ(served.Status(), "26,WRITE PROTECT ON,00,00") << damage.what;
    EXPECT_EQ(served.store.strays, 0u) << damage.what;
    EXPECT_EQ(served.store.bytes, bytes) << damage.what << ": reading changed the image";
  }

  // A directory chain that comes back: the listing up to there, then 71.
  std::vector<uint8_t> looped = pristine;
  FirstEntry(looped)[0] = 18;
  FirstEntry(looped)[1] = 1;
  Served listing(looped);
  listing.Open(0, "$");
  DriveStatus ended;
  std::vector<uint8_t> program = listing.ReadAll(0, ended);
  EXPECT_EQ(ended, kDiskEndOfFile);
  EXPECT_NE(std::search(program.begin(), program.end(), std::begin("\"BIG\""), std::end("\"BIG\"") - 1), program.end());
  listing.drive.close(0);
  EXPECT_EQ(listing.Status(), "71,DIR ERROR,18,01");

  // A BAM that calls BIG's first block free: no SAVE may hand it out again.
  std::vector<uint8_t> disagreeing = pristine;
  uint8_t* bamEntry = Block(disagreeing, 18, 0) + kBamTracks + kBamEntryBytes * (firstTrack - 1);
  bamEntry[1 + firstSector / 8] |= static_cast<uint8_t>(1 << (firstSector % 8));
  bamEntry[0]++;
  Served refusing(disagreeing);
  refusing.Open(1, "NEW");
  EXPECT_EQ(refusing.Status().substr(0, 12), "71,DIR ERROR");
  EXPECT_EQ(refusing.store.bytes, disagreeing);
  // V0 rebuilds it; then the SAVE goes through.
  refusing.Command("V0");
  EXPECT_EQ(refusing.Status(), "00, OK,00,00");
  refusing.Open(1, "NEW");
  EXPECT_EQ(refusing.Status(), "00, OK,00,00");

  // Wrong sizes are no disk at all.
  for (size_t size : {size_t{0}, pristine.size() - 1, pristine.size() + 1}) {
    std::vector<uint8_t> cut = pristine;
    cut.resize(size);
    MemoryImageStore store(cut);
    D64Disk disk(store);
    EXPECT_EQ(disk.Mount(), kDriveNotReady) << size;
  }
}

TEST_F(DriveOnImage, AFullDiskEndsTheSaveWithDiskFullAndNothingBreaksAFileBeingWritten) {
  Served served(pristine);
  served.Open(2, "NOTES,S,A");
  ASSERT_EQ(served.Status(), "00, OK,00,00");
  for (uint8_t i = 0; i < 10; i++) ASSERT_EQ(served.drive.write(2, i), kDriveOk);
  // The appended bytes are in no chain yet: V0 would free them, a scratch
  // would free the file that the close then writes back.
  served.Command("V0");
  EXPECT_EQ(served.Status(), "60,WRITE FILE OPEN,00,00");
  served.Command("S0:NOTES");
  EXPECT_EQ(served.Status(), "01, FILES SCRATCHED,00,00");
  served.drive.close(2);
  EXPECT_EQ(served.Status(), "00, OK,00,00");

  served.Open(2, "LOG,S,W");
  DriveStatus status = kDriveOk;
  uint32_t written = 0;
  for (; written < 200000 && (status = served.drive.write(2, static_cast<uint8_t>(written))) == kDriveOk; written++) {
  }
  EXPECT_EQ(status, kDriveDiskFull);
  EXPECT_EQ(served.Status(), "72,DISK FULL,00,00");
  EXPECT_LT(written, 200000u);
  served.drive.close(2);
  served.Command("V0");
  EXPECT_EQ(served.Status(), "00, OK,00,00");

  // The failed file is gone, NOTES has its tail, and the image is as valid as it was.
  served.Open(2, "NOTES");
  DriveStatus ended;
  std::vector<uint8_t> expected = big;
  for (uint8_t i = 0; i < 10; i++) expected.push_back(i);
  EXPECT_EQ(served.ReadAll(2, ended), expected);
  EXPECT_EQ(ended, kDiskEndOfFile);
  MemoryImageStore copy(served.store.bytes);
  D64Image image(copy);
  ASSERT_EQ(image.Mount(), kDriveOk);
  bool changed = true;
  EXPECT_EQ(image.Validate(changed), kDriveOk);
  EXPECT_FALSE(changed);
  D64Entry found;
  D64Name log;
  D64Name::From("LOG", log);
  EXPECT_EQ(image.Find(log, found), kDriveFileNotFound);
  EXPECT_EQ(image.Bam().BlocksFree(), 664 - 12 - 12);
  EXPECT_EQ(served.store.strays, 0u);
}

}  // namespace
