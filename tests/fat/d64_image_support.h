// Test support for D64 images: an image held in memory that counts every
// access, and one round of everything the drive does with an image.
#pragma once
#include <stdint.h>

#include <algorithm>
#include <map>
#include <vector>

#include "filesystem/d64_files.h"
#include "filesystem/d64_image.h"
#include "filesystem/d64_listing.h"

namespace d64_test {

using namespace korvan::filesystem;

class MemoryImageStore : public D64ImageStore {
 public:
  explicit MemoryImageStore(std::vector<uint8_t> image) : bytes(std::move(image)) {}
  uint32_t Size() override { return static_cast<uint32_t>(bytes.size()); }
  bool Read(uint32_t offset, uint8_t* data, uint32_t length) override {
    reads++;
    if (!Inside(offset, length)) return false;
    std::copy(bytes.begin() + offset, bytes.begin() + offset + length, data);
    return true;
  }
  bool Write(uint32_t offset, const uint8_t* data, uint32_t length) override {
    writes++;
    if (!Inside(offset, length)) return false;
    std::copy(data, data + length, bytes.begin() + offset);
    return true;
  }

  std::vector<uint8_t> bytes;
  uint64_t reads = 0;
  uint64_t writes = 0;
  // Accesses outside the image: a fault of the image code, never of the image.
  uint64_t strays = 0;

 private:
  bool Inside(uint32_t offset, uint32_t length) {
    bool inside = offset <= bytes.size() && length <= bytes.size() - offset;
    if (!inside) strays++;
    return inside;
  }
};

inline std::vector<uint8_t> RenderListing(D64Image& image, DriveStatus& status, const D64Name* pattern = nullptr) {
  std::vector<uint8_t> program(D64Listing::kMostBytes);
  program.resize(D64Listing::Render(image, pattern, program.data(), static_cast<uint32_t>(program.size()), status));
  return program;
}

// What one round over an image found.
struct Round {
  std::map<int, int> statuses;  // every status an operation ended in, counted
  // A validate that succeeded, then a save, then a validate that had to change something.
  bool validateDisagreed = false;
};

inline DriveStatus WriteFile(D64Image& image, const char* text, CbmFileType type, D64FileWriter::Mode mode,
                           uint32_t length) {
  D64Name name;
  D64Name::From(text, name);
  D64FileWriter writer;
  DriveStatus status = writer.Open(image, name, type, mode);
  for (uint32_t i = 0; status == kDriveOk && i < length; i++) status = writer.WriteByte(static_cast<uint8_t>(i * 7));
  DriveStatus closed = writer.Close();
  return status != kDriveOk ? status : closed;
}

// Everything the drive does with an image: mount, list, read every file,
// save, append, replace, rename, scratch, validate.
inline Round ExerciseImage(D64ImageStore& store) {
  Round round;
  auto note = [&](DriveStatus status) {
    round.statuses[status]++;
    return status;
  };
  D64Image image(store);
  if (note(image.Mount()) != kDriveOk) return round;
  DriveStatus status = kDriveOk;
  RenderListing(image, status);
  note(status);
  std::vector<D64Entry> entries;
  note(image.WalkDirectory([&](uint8_t* bytes, const D64EntryPlace&) {
    if (bytes[kDirType] != 0) entries.push_back(D64Entry{{}, bytes[kDirType], 0, 0, 0, D64Name::OfEntry(bytes)});
    return entries.size() < 32 ? D64Image::Visit::Continue : D64Image::Visit::Stop;
  }));
  for (const D64Entry& listed : entries) {
    D64FileReader reader;
    D64Entry entry;
    uint8_t byte = 0;
    if ((status = note(reader.Open(image, listed.name, entry))) != kDriveOk) continue;
    while ((status = reader.ReadByte(byte)) == kDriveOk) {
    }
    note(status);
  }
  note(WriteFile(image, "FUZZ", CbmFileType::Prg, D64FileWriter::Mode::Create, 700));
  if (!entries.empty()) {
    const D64Name& first = entries[0].name;
    char text[kD64NameBytes + 1] = {};
    std::copy(first.bytes, first.bytes + first.length, text);
    note(WriteFile(image, text, entries[0].Type(), D64FileWriter::Mode::Append, 300));
    note(WriteFile(image, text, CbmFileType::Seq, D64FileWriter::Mode::Replace, 100));
    D64Name renamed;
    D64Name::From("RENAMED", renamed);
    note(image.Rename(renamed, first));
  }
  D64Name pattern;
  D64Name::From("F*", pattern);
  uint8_t count = 0;
  note(image.Scratch(pattern, count));
  bool changed = false;
  if (note(image.Validate(changed)) == kDriveOk) {
    note(WriteFile(image, "AFTER", CbmFileType::Seq, D64FileWriter::Mode::Create, 2000));
    round.validateDisagreed = note(image.Validate(changed)) != kDriveOk || changed;
  }
  RenderListing(image, status);
  note(status);
  return round;
}

}  // namespace d64_test
