// Test support for the FAT32 volume: real volumes made with dosfstools and mtools,
// served as partition 0 of a simulated primary master disk.
#pragma once
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "drivers/ata.h"
#include "filesystem/fat.h"
#include "hosted/console_capture.h"
#include "hosted/port_bus.h"
#include "hosted/simulated_ata_drive.h"

namespace fat_test {

using korvan::drivers::AdvancedTechnologyAttachment;
using korvan::filesystem::Fat32;

struct CommandResult {
  int status;
  std::string output;
};

// Runs a shell command; stdout and stderr together.
inline CommandResult Shell(const std::string& command) {
  CommandResult result{-1, ""};
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) return result;
  char chunk[4096];
  size_t got;
  while ((got = fread(chunk, 1, sizeof(chunk), pipe)) > 0) result.output.append(chunk, got);
  int raw = pclose(pipe);
  result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return result;
}

inline std::string Quote(const std::string& text) { return "'" + text + "'"; }

inline std::vector<uint8_t> ReadHostFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void WriteHostFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// Bytes that differ from position to position, so misplaced sectors show.
inline std::vector<uint8_t> Pattern(size_t length, uint32_t seed) {
  std::vector<uint8_t> bytes(length);
  uint32_t x = seed * 2654435761u + 1;
  for (size_t i = 0; i < length; i++) {
    x = x * 1103515245u + 12345u;
    bytes[i] = static_cast<uint8_t>(x >> 16);
  }
  return bytes;
}

// A scratch directory removed with everything in it.
class ScratchDirectory {
 public:
  ScratchDirectory() {
    char pattern[] = "/tmp/quillon-fat-XXXXXX";
    path_ = mkdtemp(pattern);
  }
  ~ScratchDirectory() { Shell("rm -rf " + Quote(path_)); }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// A bare FAT32 volume file, as mkfs.fat makes it, with raw access for
// planting entries and damage.
class VolumeFile {
 public:
  explicit VolumeFile(std::string path) : path_(std::move(path)) {}
  const std::string& path() const { return path_; }

  // mkfs.fat -F 32 with the given cluster size; the file is sparse.
  bool Format(unsigned sectorsPerCluster, unsigned megabytes, const std::string& label = "QUILLON",
              const std::string& extra = "") {
    unlink(path_.c_str());
    std::string command = "mkfs.fat -F 32 --invariant -s " + std::to_string(sectorsPerCluster) + " -n " +
                          label + " " + extra + " -C " + Quote(path_) + " " + std::to_string(megabytes * 1024);
    CommandResult made = Shell(command);
    if (made.status != 0) {
      ADD_FAILURE() << command << "\n" << made.output;
      return false;
    }
    LoadGeometry();
    return true;
  }

  // mtools on the volume.
  CommandResult Mtools(const std::string& tool, const std::string& args) const {
    return Shell("MTOOLS_SKIP_CHECK=1 MTOOLS_NO_VFAT=0 " + tool + " -i " + Quote(path_) + " " + args);
  }
  bool Put(const std::string& hostFile, const std::string& name) const {
    CommandResult r = Mtools("mcopy", "-D o " + Quote(hostFile) + " " + Quote("::" + name));
    if (r.status != 0) ADD_FAILURE() << "mcopy " << name << ": " << r.output;
    return r.status == 0;
  }
  bool PutBytes(const ScratchDirectory& scratch, const std::string& name, const std::vector<uint8_t>& bytes) const {
    std::string host = scratch.File("put.bin");
    WriteHostFile(host, bytes);
    return Put(host, name);
  }
  bool MakeDirectory(const std::string& name) const { return Mtools("mmd", Quote("::" + name)).status == 0; }
  // The file's bytes as mtools reads them; status non-zero if it cannot.
  CommandResult Get(const ScratchDirectory& scratch, const std::string& name) const {
    std::string host = scratch.File("get.bin");
    unlink(host.c_str());
    CommandResult r = Mtools("mcopy", "-n " + Quote("::" + name) + " " + Quote(host));
    if (r.status == 0) {
      std::vector<uint8_t> bytes = ReadHostFile(host);
      r.output.assign(bytes.begin(), bytes.end());
    }
    return r;
  }
  CommandResult Fsck() const { return Shell("fsck.fat -n " + Quote(path_)); }

  uint32_t sectorsPerCluster() const { return spc_; }
  uint32_t clusterBytes() const { return spc_ * 512; }
  uint32_t rootCluster() const { return rootCluster_; }
  uint32_t tables() const { return tables_; }
  uint64_t ClusterOffset(uint32_t cluster) const {
    return (static_cast<uint64_t>(dataStart_) + static_cast<uint64_t>(spc_) * (cluster - 2)) * 512;
  }
  uint64_t RootEntryOffset(uint32_t index) const { return ClusterOffset(rootCluster_) + 32ull * index; }

  std::vector<uint8_t> ReadBytes(uint64_t offset, size_t length) const {
    std::vector<uint8_t> bytes(length);
    int fd = open(path_.c_str(), O_RDONLY);
    EXPECT_EQ(static_cast<ssize_t>(length), pread(fd, bytes.data(), length, static_cast<off_t>(offset)));
    close(fd);
    return bytes;
  }
  void WriteBytes(uint64_t offset, const std::vector<uint8_t>& bytes) const {
    int fd = open(path_.c_str(), O_RDWR);
    EXPECT_EQ(static_cast<ssize_t>(bytes.size()), pwrite(fd, bytes.data(), bytes.size(), static_cast<off_t>(offset)));
    close(fd);
  }
  uint32_t FatEntry(uint32_t cluster, uint32_t copy = 0) const {
    std::vector<uint8_t> b = ReadBytes(FatOffset(cluster, copy), 4);
    return b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<uint32_t>(b[3]) << 24);
  }
  void SetFatEntry(uint32_t cluster, uint32_t value) const {
    for (uint32_t copy = 0; copy < tables_; copy++)
      WriteBytes(FatOffset(cluster, copy), {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                                            static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)});
  }
  // Chains clusters first .. first + count - 1 in every table copy, as one file would hold them.
  void PlantChain(uint32_t first, uint32_t count) const {
    std::vector<uint8_t> entries(4ull * count);
    for (uint32_t i = 0; i < count; i++) {
      uint32_t next = i + 1 < count ? first + i + 1 : 0x0FFFFFFF;
      for (int b = 0; b < 4; b++) entries[4 * i + b] = static_cast<uint8_t>(next >> (8 * b));
    }
    for (uint32_t copy = 0; copy < tables_; copy++) WriteBytes(FatOffset(first, copy), entries);
  }
  // Marks FSInfo's free count unknown, as after a change made behind its back.
  void ForgetFreeCount() const {
    std::vector<uint8_t> boot = ReadBytes(0, 512);
    WriteBytes((boot[48] | (boot[49] << 8)) * 512ull + 488, {0xFF, 0xFF, 0xFF, 0xFF});
  }
  // A raw 32-byte directory entry: 11 name bytes, attributes, cluster, size, date and time.
  static std::vector<uint8_t> Entry(const std::string& name11, uint8_t attributes, uint32_t cluster, uint32_t size,
                                    uint16_t date = 0x4B3D, uint16_t time = 0x83C7) {
    std::vector<uint8_t> e(32, 0);
    for (size_t i = 0; i < 11; i++) e[i] = static_cast<uint8_t>(i < name11.size() ? name11[i] : ' ');
    e[11] = attributes;
    e[20] = static_cast<uint8_t>(cluster >> 16);
    e[21] = static_cast<uint8_t>(cluster >> 24);
    e[22] = static_cast<uint8_t>(time);
    e[23] = static_cast<uint8_t>(time >> 8);
    e[24] = static_cast<uint8_t>(date);
    e[25] = static_cast<uint8_t>(date >> 8);
    e[26] = static_cast<uint8_t>(cluster);
    e[27] = static_cast<uint8_t>(cluster >> 8);
    for (int i = 0; i < 4; i++) e[28 + i] = static_cast<uint8_t>(size >> (8 * i));
    return e;
  }

 private:
  uint64_t FatOffset(uint32_t cluster, uint32_t copy) const {
    return (static_cast<uint64_t>(reserved_) + static_cast<uint64_t>(copy) * fatSectors_) * 512 + 4ull * cluster;
  }
  void LoadGeometry() {
    std::vector<uint8_t> boot = ReadBytes(0, 512);
    spc_ = boot[13];
    reserved_ = boot[14] | (boot[15] << 8);
    tables_ = boot[16];
    fatSectors_ = boot[36] | (boot[37] << 8) | (boot[38] << 16) | (static_cast<uint32_t>(boot[39]) << 24);
    rootCluster_ = boot[44] | (boot[45] << 8) | (boot[46] << 16) | (static_cast<uint32_t>(boot[47]) << 24);
    dataStart_ = reserved_ + tables_ * fatSectors_;
  }

  std::string path_;
  uint32_t spc_ = 0, reserved_ = 0, tables_ = 0, fatSectors_ = 0, rootCluster_ = 0, dataStart_ = 0;
};

// A volume served as partition 0 of the primary master, the way the kernel
// finds it at boot. Remount() builds a fresh Fat32 on the current file.
class MountedVolume {
 public:
  explicit MountedVolume(const std::string& volumePath, uint32_t firstSector = 2048)
      : file_(volumePath), partitioned_(&file_, firstSector), drive_(&partitioned_), channel_(0x1F0),
        disk_(true, AdvancedTechnologyAttachment::kPrimaryBase) {
    drive_.busy_reads = 0;
    channel_.connect(true, &drive_);
    Remount();
  }
  Fat32& volume() { return *volume_; }
  korvan::hosted::SimulatedAtaDrive& drive() { return drive_; }
  AdvancedTechnologyAttachment& disk() { return disk_; }
  Fat32& Remount() {
    volume_.reset();
    volume_ = std::make_unique<Fat32>(&disk_, 0);
    return *volume_;
  }
  void Unmount() { volume_.reset(); }

 private:
  korvan::hosted::ImageFileStore file_;
  korvan::hosted::PartitionedStore partitioned_;
  korvan::hosted::SimulatedAtaDrive drive_;
  korvan::hosted::SimulatedAtaChannel channel_;
  AdvancedTechnologyAttachment disk_;
  std::unique_ptr<Fat32> volume_;
};

// Writes bytes as a new file through the volume's open-file table.
inline int WriteThroughVolume(Fat32& volume, const char* name, const std::vector<uint8_t>& bytes) {
  int status = volume.OpenFile(1, name, Fat32::kModeCreate);
  if (status != 0) return status;
  for (uint8_t b : bytes)
    if ((status = volume.WriteNextFileByte(1, b)) != 0) break;
  int closed = volume.CloseFile(1);
  return status != 0 ? status : closed;
}

// Reads a whole file through the open-file table; status 0 and the bytes, or the failing status.
inline int ReadThroughVolume(Fat32& volume, const char* name, std::vector<uint8_t>& bytes) {
  bytes.clear();
  int status = volume.OpenFile(1, name, Fat32::kModeRead);
  if (status != 0) return status;
  uint8_t b = 0;
  while ((status = volume.ReadNextFileByte(1, b)) == 0) bytes.push_back(b);
  volume.CloseFile(1);
  return status == 4 ? 0 : status;
}

inline std::string AsString(const std::vector<uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }

}  // namespace fat_test
