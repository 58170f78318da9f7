// D64 images on the FAT volume: listings, files and changes checked against
// cc1541 and cbmconvert, and damaged images that must end in a status.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <random>

#include "tests/fat/d64_image_support.h"
#include "tests/fat/fat_image.h"

namespace {

using namespace korvan::filesystem;
using d64_test::MemoryImageStore;
using fat_test::CommandResult;
using fat_test::Pattern;
using fat_test::Quote;
using fat_test::ReadHostFile;
using fat_test::ScratchDirectory;
using fat_test::Shell;
using fat_test::WriteHostFile;

const std::string kTool = std::string(QUILLON_BUILD_DIR) + "/fat32tool";
constexpr uint32_t kBlocks35 = 683;

std::string Upper(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
  return text;
}

// Lines without trailing blanks, terminal escapes and cc1541's own chatter, upper-cased.
std::vector<std::string> ListingLines(const std::string& text) {
  std::vector<std::string> lines;
  std::string line;
  std::istringstream in(text);
  while (std::getline(in, line)) {
    for (const char* escape : {"\x1b[7m", "\x1b[m"})
      for (size_t at; (at = line.find(escape)) != std::string::npos;) line.erase(at, strlen(escape));
    while (!line.empty() && line.back() == ' ') line.pop_back();
    if (line.empty() || line.rfind("Adding", 0) == 0) continue;
    lines.push_back(Upper(line));
  }
  return lines;
}

// A whole disk whose partition 0 is a FAT32 volume holding one D64 image, T.D64.
class DiskWithImage {
 public:
  explicit DiskWithImage(const ScratchDirectory& scratch)
      : scratch_(scratch), disk_(scratch.File("disk.img")), mtools_("MTOOLS_SKIP_CHECK=1 ") {}

  bool Make(const std::string& d64) {
    std::string disk = Quote(disk_);
    CommandResult made = Shell("(truncate -s 41M " + disk + " && printf 'label: dos\\nstart=2048, size=81920, type=c\\n' | sfdisk -q " +
                               disk + " && mkfs.fat -F 32 --offset 2048 -n QUILLON " + disk + " 40960 >/dev/null && " +
                               mtools_ + "mcopy -i " + disk + "@@1M " + Quote(d64) + " ::T.D64)");
    EXPECT_EQ(0, made.status) << made.output;
    return made.status == 0;
  }
  // fat32tool DISK d64 T.D64 ARGS < input; the standard output in `out`.
  int Tool(const std::string& args, std::string* out = nullptr, const std::vector<uint8_t>& input = {}) {
    WriteHostFile(scratch_.File("in.bin"), input);
    std::string outFile = scratch_.File("out.bin");
    CommandResult run = Shell(kTool + " " + Quote(disk_) + " d64 T.D64 " + args + " < " + Quote(scratch_.File("in.bin")) +
                              " > " + Quote(outFile));
    if (out != nullptr) *out = fat_test::AsString(ReadHostFile(outFile));
    return run.status;
  }
  // The image as the volume holds it now, copied out by mtools.
  std::string Extract() {
    std::string path = scratch_.File("out.d64");
    CommandResult copied = Shell("rm -f " + Quote(path) + " && " + mtools_ + "mcopy -i " + Quote(disk_) + "@@1M ::T.D64 " +
                                 Quote(path));
    EXPECT_EQ(0, copied.status) << copied.output;
    return path;
  }
  CommandResult Fsck() {
    std::string volume = scratch_.File("volume.img");
    return Shell("dd if=" + Quote(disk_) + " of=" + Quote(volume) + " bs=512 skip=2048 status=none && fsck.fat -n " +
                 Quote(volume));
  }
  std::vector<uint8_t> Bytes() const { return ReadHostFile(disk_); }

 private:
  const ScratchDirectory& scratch_;
  std::string disk_;
  std::string mtools_;
};

std::string Cc1541Listing(const std::string& d64) { return Shell("cc1541 " + Quote(d64)).output; }

// The files cbmconvert extracts, by its names (lower case, .prg/.seq/.usr).
std::map<std::string, std::vector<uint8_t>> CbmconvertFiles(const ScratchDirectory& scratch, const std::string& d64) {
  std::string dir = scratch.File("extracted");
  Shell("rm -rf " + Quote(dir) + " && mkdir " + Quote(dir) + " && cd " + Quote(dir) + " && cbmconvert -N -d " + Quote(d64));
  std::map<std::string, std::vector<uint8_t>> files;
  CommandResult names = Shell("ls " + Quote(dir));
  std::istringstream in(names.output);
  std::string name;
  while (std::getline(in, name)) files[name] = ReadHostFile(dir + "/" + name);
  return files;
}

std::vector<uint8_t> Bytes(const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); }

// cc1541 writes host files into a new image; names in lower case become the
// unshifted letters the C64 types.
std::string MakeImage(const ScratchDirectory& scratch, const std::string& name, const std::string& options,
                      const std::map<std::string, std::vector<uint8_t>>& hostFiles) {
  for (const auto& [file, bytes] : hostFiles) WriteHostFile(scratch.File(file), bytes);
  std::string path = scratch.File(name);
  CommandResult made = Shell("cd " + Quote(scratch.File("")) + " && cc1541 -q " + options + " " + Quote(path));
  EXPECT_EQ(0, made.status) << made.output;
  return path;
}

std::string SmallFiles() {
  std::string options;
  for (int i = 0; i < 10; i++) options += " -f f" + std::to_string(i) + " -w f" + std::to_string(i) + ".bin";
  return options;
}

std::map<std::string, std::vector<uint8_t>> HostFiles() {
  std::map<std::string, std::vector<uint8_t>> files = {
      {"hello.bin", Pattern(13, 1)}, {"data.bin", Pattern(3000, 2)}, {"big.bin", Pattern(26000, 3)}};
  for (int i = 0; i < 10; i++) files["f" + std::to_string(i) + ".bin"] = Pattern(100 + 300 * i, 10 + i);
  return files;
}

TEST(D64Image, ListingFilesAndBlockCountsAgreeWithCc1541AndCbmconvert) {
  ScratchDirectory scratch;
  auto host = HostFiles();
  std::string image = MakeImage(scratch, "t.d64",
                                "-n 'quillon test' -i 'qt 2a' -f hello -w hello.bin -f data -T SEQ -w data.bin -f big -w "
                                "big.bin -f lck -P -w hello.bin -f opn -O -T USR -w hello.bin -f rel -T REL -w data.bin "
                                "-f 'sp#a0,8,1' -w hello.bin" + SmallFiles(),
                                host);
  DiskWithImage disk(scratch);
  ASSERT_TRUE(disk.Make(image));
  std::string listing;
  ASSERT_EQ(0, disk.Tool("dir", &listing));
  EXPECT_EQ(ListingLines(Cc1541Listing(image)), ListingLines(listing)) << listing;

  // The program itself: the 1541's dummy links, and every file line 32 bytes.
  MemoryImageStore store(ReadHostFile(image));
  D64Image mounted(store);
  ASSERT_EQ(kDriveOk, mounted.Mount());
  DriveStatus status = kDriveOk;
  std::vector<uint8_t> program = d64_test::RenderListing(mounted, status);
  EXPECT_EQ(kDriveOk, status);
  std::vector<size_t> lineLengths;
  for (size_t at = 0; at + 1 < program.size() && program[at] != 0;) {
    EXPECT_EQ(0x0101, program[at] | (program[at + 1] << 8));
    size_t end = std::find(program.begin() + at + 4, program.end(), 0) - program.begin();
    lineLengths.push_back(end + 1 - at);
    at = end + 1;
  }
  ASSERT_EQ(ListingLines(listing).size(), lineLengths.size());
  for (size_t i = 1; i + 1 < lineLengths.size(); i++) EXPECT_EQ(32u, lineLengths[i]) << "line " << i;
  // With room for three lines fewer, the files that do not fit are counted
  // before the free blocks, which still end the program.
  std::vector<uint8_t> cut(program.size() - 3 * D64Listing::kLineBytes);
  cut.resize(D64Listing::Render(mounted, nullptr, cut.data(), static_cast<uint32_t>(cut.size()), status));
  std::string cutText(cut.begin(), cut.end());
  size_t leftOut = cutText.find("FILES LEFT OUT.");
  ASSERT_NE(std::string::npos, leftOut);
  size_t shown = 0;
  for (size_t at = cutText.find("  \""); at < leftOut; at = cutText.find("  \"", at + 1)) shown++;
  EXPECT_EQ(lineLengths.size() - 2 - shown, static_cast<size_t>(cut[leftOut - 2] | cut[leftOut - 1] << 8));
  EXPECT_LT(shown, lineLengths.size() - 2);
  EXPECT_NE(std::string::npos, cutText.find("BLOCKS FREE.", leftOut));
  EXPECT_EQ(0, cut[cut.size() - 1] | cut[cut.size() - 2]) << "the program's end";

  auto extracted = CbmconvertFiles(scratch, image);
  ASSERT_GE(extracted.size(), 13u);
  for (const char* name : {"hello.prg", "data.seq", "big.prg", "lck.prg", "f0.prg", "f9.prg"}) {
    std::string cbmName = Upper(std::string(name, strchr(name, '.')));
    std::string ours;
    EXPECT_EQ(0, disk.Tool("get " + cbmName, &ours)) << name;
    EXPECT_EQ(extracted[name], Bytes(ours)) << name;
  }
  EXPECT_EQ(kDriveTypeMismatch, disk.Tool("get REL"));
  EXPECT_EQ(kDriveWriteFileOpen, disk.Tool("get OPN"));
  // Patterns: the first match in directory order.
  std::string first;
  EXPECT_EQ(0, disk.Tool("get 'F?'", &first));
  EXPECT_EQ(host["f0.bin"], Bytes(first));
  EXPECT_EQ(0, disk.Tool("get 'B*'", &first));
  EXPECT_EQ(host["big.bin"], Bytes(first));
}

TEST(D64Image, FortyTrackImagesCountTheirExtraTracksAndErrorBytesReportReadErrors) {
  ScratchDirectory scratch;
  auto host = HostFiles();
  for (const char* format : {"-4", "-5"}) {
    std::string image = MakeImage(scratch, std::string("x") + format + ".d64",
                                  std::string(format) + " -f hello -w hello.bin -f big -w big.bin", host);
    DiskWithImage disk(scratch);
    ASSERT_TRUE(disk.Make(image));
    std::string listing;
    ASSERT_EQ(0, disk.Tool("dir", &listing));
    std::vector<std::string> theirs = ListingLines(Cc1541Listing(image));
    std::vector<std::string> ours = ListingLines(listing);
    ASSERT_EQ(theirs.size(), ours.size());
    // cc1541 counts tracks 1-35 only; the drive also offers the 5 × 17 blocks of tracks 36-40.
    EXPECT_EQ(std::vector<std::string>(theirs.begin(), theirs.end() - 1), std::vector<std::string>(ours.begin(), ours.end() - 1));
    EXPECT_EQ(std::to_string(std::stoi(theirs.back()) + 85) + " BLOCKS FREE.", ours.back()) << format;
  }

  std::string image = MakeImage(scratch, "e.d64", "-f hello -w hello.bin -f data -T SEQ -w data.bin", host);
  std::vector<uint8_t> bytes = ReadHostFile(image);
  bytes.resize(bytes.size() + kBlocks35, 1);
  // DATA's first block (from its entry, the second one in 18/1) gets a checksum error.
  D64Geometry geometry;
  ASSERT_TRUE(D64Geometry::FromImageSize(static_cast<uint32_t>(bytes.size()), geometry));
  const uint8_t* entry = &bytes[geometry.BlockOffset(18, 1) + 32];
  bytes[geometry.ErrorByteOffset(entry[3], entry[4])] = 5;
  WriteHostFile(image, bytes);
  DiskWithImage disk(scratch);
  ASSERT_TRUE(disk.Make(image));
  std::string ours;
  EXPECT_EQ(0, disk.Tool("get HELLO", &ours));
  EXPECT_EQ(host["hello.bin"], Bytes(ours));
  EXPECT_EQ(23, disk.Tool("get DATA"));
}

TEST(D64Image, SavesScratchesRenamesAndAppendsLeaveAnImageTheToolsReadAndValidateKeeps) {
  ScratchDirectory scratch;
  auto host = HostFiles();
  std::string image = MakeImage(scratch, "t.d64",
                                "-f hello -w hello.bin -f data -T SEQ -w data.bin -f big -w big.bin -f lck -P -w "
                                "hello.bin" + SmallFiles(),
                                host);
  DiskWithImage disk(scratch);
  ASSERT_TRUE(disk.Make(image));
  std::vector<uint8_t> before = disk.Bytes();
  std::vector<uint8_t> original = ReadHostFile(image);

  std::vector<uint8_t> fresh = Pattern(20000, 30), replacement = Pattern(600, 31), tail = Pattern(5000, 32),
                       more = Pattern(9000, 33);
  EXPECT_EQ(0, disk.Tool("put NEW,S", nullptr, fresh));
  EXPECT_EQ(kDriveFileExists, disk.Tool("put NEW,S", nullptr, fresh));
  EXPECT_EQ(0, disk.Tool("put @0:HELLO", nullptr, replacement));
  EXPECT_EQ(0, disk.Tool("append DATA,S", nullptr, tail));
  EXPECT_EQ(kDriveTypeMismatch, disk.Tool("append BIG,S", nullptr, tail));
  EXPECT_EQ(0, disk.Tool("del BIG"));
  EXPECT_EQ(0, disk.Tool("del 'F?'"));  // all ten, freeing their entries for MORE
  EXPECT_EQ(0, disk.Tool("del LCK"));   // locked: stays
  EXPECT_EQ(0, disk.Tool("ren DATA DATUM"));
  EXPECT_EQ(kDriveFileExists, disk.Tool("ren NEW DATUM"));
  EXPECT_EQ(0, disk.Tool("put MORE", nullptr, more));
  std::string answer;
  EXPECT_EQ(0, disk.Tool("validate", &answer));
  EXPECT_EQ("unchanged\n", answer);

  std::string changed = disk.Extract();
  std::string listing;
  ASSERT_EQ(0, disk.Tool("dir", &listing));
  EXPECT_EQ(ListingLines(Cc1541Listing(changed)), ListingLines(listing)) << listing;
  auto extracted = CbmconvertFiles(scratch, changed);
  std::vector<uint8_t> appended = host["data.bin"];
  appended.insert(appended.end(), tail.begin(), tail.end());
  std::map<std::string, std::vector<uint8_t>> expected = {
      {"new.seq", fresh}, {"hello.prg", replacement}, {"datum.seq", appended}, {"lck.prg", host["hello.bin"]},
      {"more.prg", more}};
  EXPECT_EQ(expected, extracted);

  CommandResult fsck = disk.Fsck();
  EXPECT_EQ(0, fsck.status) << fsck.output;
  // Nothing outside the image's own clusters changed: the image lies where
  // its original bytes lay, and everything else is as it was.
  std::vector<uint8_t> after = disk.Bytes();
  auto at = std::search(before.begin(), before.end(), original.begin(), original.end());
  ASSERT_NE(before.end(), at);
  size_t start = at - before.begin();
  ASSERT_EQ(before.size(), after.size());
  EXPECT_TRUE(std::equal(before.begin(), before.begin() + start, after.begin()));
  EXPECT_TRUE(std::equal(before.begin() + start + original.size(), before.end(), after.begin() + start + original.size()));
  EXPECT_EQ(ReadHostFile(changed), std::vector<uint8_t>(after.begin() + start, after.begin() + start + original.size()));
}

TEST(D64Image, AFullDiskEndsInDiskFullWithTheFailedFileGoneAndTheImageValid) {
  ScratchDirectory scratch;
  auto host = HostFiles();
  std::string image = MakeImage(scratch, "t.d64", "-f hello -w hello.bin", host);
  DiskWithImage disk(scratch);
  ASSERT_TRUE(disk.Make(image));
  std::vector<uint8_t> chunk = Pattern(40000, 40);
  int saved = 0;
  int status = 0;
  while (saved < 10 && (status = disk.Tool("put FILL" + std::to_string(saved), nullptr, chunk)) == 0) saved++;
  EXPECT_EQ(4, saved);  // 158 blocks each, 663 free at the start
  EXPECT_EQ(kDriveDiskFull, status);
  std::string answer;
  EXPECT_EQ(0, disk.Tool("validate", &answer));
  EXPECT_EQ("unchanged\n", answer);
  std::string changed = disk.Extract();
  std::string listing;
  ASSERT_EQ(0, disk.Tool("dir", &listing));
  EXPECT_EQ(ListingLines(Cc1541Listing(changed)), ListingLines(listing));
  EXPECT_EQ(std::string::npos, listing.find("FILL4"));
  EXPECT_EQ(0, disk.Tool("put SMALL", nullptr, Pattern(2000, 41)));
  EXPECT_EQ(Pattern(2000, 41), CbmconvertFiles(scratch, disk.Extract())["small.prg"]);
}

// ---- damaged images -------------------------------------------------------

std::vector<uint8_t> BaseImage(const ScratchDirectory& scratch) {
  return ReadHostFile(MakeImage(scratch, "base.d64", "-f data -T SEQ -w data.bin -f big -w big.bin" + SmallFiles(),
                                HostFiles()));
}

uint8_t* Block(std::vector<uint8_t>& image, uint8_t track, uint8_t sector) {
  D64Geometry geometry;
  D64Geometry::FromImageSize(static_cast<uint32_t>(image.size()), geometry);
  return &image[geometry.BlockOffset(track, sector)];
}

// The entry of the n-th file (directory order) of the base image.
uint8_t* EntryOf(std::vector<uint8_t>& image, int n) { return Block(image, 18, 1) + 32 * n; }

DriveStatus ReadAll(D64Image& image, const char* name) {
  D64Name pattern;
  D64Name::From(name, pattern);
  D64FileReader reader;
  D64Entry entry;
  DriveStatus status = reader.Open(image, pattern, entry);
  uint8_t byte;
  while (status == kDriveOk) status = reader.ReadByte(byte);
  return status == kDiskEndOfFile ? kDriveOk : status;
}

TEST(D64Image, DamagedImagesEndInTheDrivesStatusesAndValidateRepairsOnlyTheBam) {
  ScratchDirectory scratch;
  std::vector<uint8_t> base = BaseImage(scratch);

  for (size_t size : {size_t{0}, base.size() - 1, base.size() + 1, size_t{1} << 20}) {
    MemoryImageStore store(std::vector<uint8_t>(size, 0));
    D64Image image(store);
    EXPECT_EQ(kDriveNotReady, image.Mount()) << size;
  }

  struct Damage {
    const char* what;
    void (*apply)(std::vector<uint8_t>&);
    DriveStatus listing, readData, save, validate;
  };
  const Damage damages[] = {
      {"directory loops", [](std::vector<uint8_t>& i) { Block(i, 18, 4)[0] = 18, Block(i, 18, 4)[1] = 1; },
       kDriveDirError, kDriveOk, kDriveDirError, kDriveDirError},
      {"directory leaves the disk", [](std::vector<uint8_t>& i) { Block(i, 18, 1)[1] = 30; },
       kDriveIllegalTrackSector, kDriveOk, kDriveIllegalTrackSector, kDriveIllegalTrackSector},
      {"file chain loops", [](std::vector<uint8_t>& i) {
         uint8_t* e = EntryOf(i, 0);
         Block(i, e[3], e[4])[0] = e[3], Block(i, e[3], e[4])[1] = e[4];
       }, kDriveOk, kDriveDirError, kDriveDirError, kDriveDirError},
      {"file chain leaves the disk", [](std::vector<uint8_t>& i) { Block(i, EntryOf(i, 0)[3], EntryOf(i, 0)[4])[0] = 41; },
       kDriveOk, kDriveIllegalTrackSector, kDriveIllegalTrackSector, kDriveIllegalTrackSector},
      {"file starts on track 0", [](std::vector<uint8_t>& i) { EntryOf(i, 0)[3] = 0; },
       kDriveOk, kDriveIllegalTrackSector, kDriveOk, kDriveOk},
      {"BAM count disagrees with its bitmap", [](std::vector<uint8_t>& i) { Block(i, 18, 0)[4] ^= 1; },
       kDriveOk, kDriveOk, kDriveDirError, kDriveOk},
      {"a file's block free in the BAM", [](std::vector<uint8_t>& i) {
         uint8_t* e = EntryOf(i, 0);
         uint8_t* track = Block(i, 18, 0) + 4 * e[3];
         track[1 + e[4] / 8] |= 1 << (e[4] % 8);
         track[0]++;
       }, kDriveOk, kDriveOk, kDriveDirError, kDriveOk},
  };
  for (const Damage& damage : damages) {
    std::vector<uint8_t> bytes = base;
    damage.apply(bytes);
    MemoryImageStore store(bytes);
    D64Image image(store);
    ASSERT_EQ(kDriveOk, image.Mount()) << damage.what;
    DriveStatus status = kDriveOk;
    d64_test::RenderListing(image, status);
    EXPECT_EQ(damage.listing, status) << damage.what;
    EXPECT_EQ(damage.readData, ReadAll(image, "DATA")) << damage.what;
    std::vector<uint8_t> unchanged = store.bytes;
    EXPECT_EQ(damage.save, d64_test::WriteFile(image, "NEW", CbmFileType::Prg, D64FileWriter::Mode::Create, 3000))
        << damage.what;
    if (damage.save != kDriveOk) EXPECT_EQ(unchanged, store.bytes) << damage.what;
    bool changed = false;
    EXPECT_EQ(damage.validate, image.Validate(changed)) << damage.what;
    if (damage.validate != kDriveOk) {
      EXPECT_EQ(unchanged, store.bytes) << damage.what;
      continue;
    }
    // Repaired: saving works and the next validate finds nothing to change.
    EXPECT_EQ(kDriveOk, d64_test::WriteFile(image, "LATER", CbmFileType::Seq, D64FileWriter::Mode::Create, 3000));
    EXPECT_EQ(kDriveOk, image.Validate(changed));
    EXPECT_FALSE(changed) << damage.what;
    EXPECT_EQ(0u, store.strays);
  }
}

TEST(D64Image, RandomlyDamagedImagesStayInsideTheImageAndEndInBoundedTime) {
  ScratchDirectory scratch;
  std::vector<uint8_t> base = BaseImage(scratch);
  D64Geometry geometry;
  ASSERT_TRUE(D64Geometry::FromImageSize(static_cast<uint32_t>(base.size()), geometry));
  // The directory track and the first bytes (the links) of every block.
  std::vector<uint32_t> targets;
  for (uint32_t offset = geometry.BlockOffset(18, 0); offset < geometry.BlockOffset(19, 0); offset++) targets.push_back(offset);
  for (uint32_t block = 0; block < kBlocks35; block++) targets.insert(targets.end(), {block * 256, block * 256 + 1});

  std::mt19937 random(1541);
  constexpr int kImages = 3000;
  std::map<int, int> statuses;
  uint64_t mostReads = 0;
  int disagreements = 0;
  auto begin = std::chrono::steady_clock::now();
  for (int n = 0; n < kImages; n++) {
    std::vector<uint8_t> bytes = base;
    for (int hits = 1 + random() % 8; hits > 0; hits--) {
      uint32_t offset = targets[random() % targets.size()];
      // Mostly plausible track and sector numbers, so that chains go somewhere.
      bytes[offset] = static_cast<uint8_t>(random() % 3 == 0 ? random() : random() % 42);
    }
    MemoryImageStore store(bytes);
    d64_test::Round round = d64_test::ExerciseImage(store);
    for (const auto& [status, count] : round.statuses) statuses[status] += count;
    disagreements += round.validateDisagreed;
    mostReads = std::max(mostReads, store.reads);
    ASSERT_EQ(0u, store.strays) << "image " << n;
  }
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
  EXPECT_EQ(0, disagreements);
  // Every walk is bounded by the disk's blocks: 32 files read, a dozen
  // operations, each with two reads a block at most.
  EXPECT_LT(mostReads, 50u * 2 * (kBlocks35 + 1));
  std::string figures;
  for (const auto& [status, count] : statuses) figures += " " + std::to_string(status) + ":" + std::to_string(count);
  printf("%d damaged images in %.2f s, at most %llu reads for one image; statuses:%s\n", kImages, seconds,
         static_cast<unsigned long long>(mostReads), figures.c_str());
}

}  // namespace
