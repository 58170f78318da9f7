// fat32tool IMAGE d64 D64NAME dir|get|put|append|del|ren|validate.
#include "tools/fat32tool/d64_commands.h"

#include <stdio.h>
#include <string.h>

#include <vector>

#include "filesystem/d64_fat_store.h"
#include "filesystem/d64_files.h"
#include "filesystem/d64_image.h"
#include "filesystem/d64_listing.h"

using namespace korvan::filesystem;

namespace {

// NAME or NAME,S / ,P / ,U as the C64 would name the type; @: or @0: asks to replace.
struct WriteRequest {
  D64Name name;
  CbmFileType type = CbmFileType::Prg;
  bool replace = false;
};

bool ParseWriteName(const char* text, WriteRequest& request) {
  if (!strncmp(text, "@0:", 3)) {
    request.replace = true;
    text += 3;
  } else if (!strncmp(text, "@:", 2)) {
    request.replace = true;
    text += 2;
  }
  size_t length = strlen(text);
  if (length >= 2 && text[length - 2] == ',') {
    switch (text[length - 1]) {
      case 'S': request.type = CbmFileType::Seq; break;
      case 'P': request.type = CbmFileType::Prg; break;
      case 'U': request.type = CbmFileType::Usr; break;
      default: return false;
    }
    length -= 2;
  }
  return D64Name::From(reinterpret_cast<const uint8_t*>(text), static_cast<uint32_t>(length), request.name);
}

// The listing as LIST shows it: line number, a blank, the text.
int Dir(D64Image& image) {
  std::vector<uint8_t> program(D64Listing::kMostBytes);
  DriveStatus status = kDriveOk;
  uint32_t length = D64Listing::Render(image, nullptr, program.data(), static_cast<uint32_t>(program.size()), status);
  D64Listing::ForEachLine(program.data(), length, [](uint16_t number, const uint8_t* text, uint32_t count) {
    printf("%u ", number);
    for (uint32_t i = 0; i < count; i++)
      if (text[i] != D64Listing::kReverseOn) fputc(text[i], stdout);
    fputc('\n', stdout);
  });
  return status;
}

int Get(D64Image& image, const char* pattern) {
  D64Name name;
  if (!D64Name::From(pattern, name)) return kDriveInvalidName;
  D64FileReader reader;
  D64Entry entry;
  DriveStatus status = reader.Open(image, name, entry);
  if (status != kDriveOk) return status;
  uint8_t byte = 0;
  while ((status = reader.ReadByte(byte)) == kDriveOk) fputc(byte, stdout);
  return status == kDiskEndOfFile ? kDriveOk : status;
}

int Put(D64Image& image, const char* text, bool append) {
  WriteRequest request;
  if (!ParseWriteName(text, request)) return kDriveInvalidName;
  D64FileWriter::Mode mode = append          ? D64FileWriter::Mode::Append
                             : request.replace ? D64FileWriter::Mode::Replace
                                               : D64FileWriter::Mode::Create;
  D64FileWriter writer;
  DriveStatus status = writer.Open(image, request.name, request.type, mode);
  if (status != kDriveOk) return status;
  int c;
  while ((c = fgetc(stdin)) != EOF)
    if ((status = writer.WriteByte(static_cast<uint8_t>(c))) != kDriveOk) break;
  DriveStatus closed = writer.Close();
  return status != kDriveOk ? status : closed;
}

int Delete(D64Image& image, const char* pattern) {
  D64Name name;
  if (!D64Name::From(pattern, name)) return kDriveInvalidName;
  uint8_t count = 0;
  DriveStatus status = image.Scratch(name, count);
  fprintf(stderr, "%u files scratched\n", count);
  return status == kDriveFilesScratched ? kDriveOk : status;
}

int Rename(D64Image& image, const char* oldText, const char* newText) {
  D64Name oldName;
  D64Name newName;
  if (!D64Name::From(oldText, oldName) || !D64Name::From(newText, newName)) return kDriveInvalidName;
  return image.Rename(newName, oldName);
}

int Validate(D64Image& image) {
  bool changed = false;
  DriveStatus status = image.Validate(changed);
  if (status == kDriveOk) puts(changed ? "changed" : "unchanged");
  return status;
}

}  // namespace

int RunD64Command(Fat32& volume, int argc, char** argv, int usageStatus) {
  if (argc < 2) return usageStatus;
  const char* command = argv[1];
  bool known = (!strcmp(command, "dir") && argc == 2) || (!strcmp(command, "get") && argc == 3) ||
               (!strcmp(command, "put") && argc == 3) || (!strcmp(command, "append") && argc == 3) ||
               (!strcmp(command, "del") && argc == 3) || (!strcmp(command, "ren") && argc == 4) ||
               (!strcmp(command, "validate") && argc == 2);
  if (!known) return usageStatus;
  D64FatStore store(volume, argv[0]);
  D64Image image(store);
  int status = image.Mount();
  if (status == kDriveOk) {
    if (!strcmp(command, "dir")) status = Dir(image);
    else if (!strcmp(command, "get")) status = Get(image, argv[2]);
    else if (!strcmp(command, "put")) status = Put(image, argv[2], false);
    else if (!strcmp(command, "append")) status = Put(image, argv[2], true);
    else if (!strcmp(command, "del")) status = Delete(image, argv[2]);
    else if (!strcmp(command, "ren")) status = Rename(image, argv[2], argv[3]);
    else status = Validate(image);
  }
  if (status != kDriveOk)
    fprintf(stderr, "fat32tool: d64 %s: %02d,%02u,%02u\n", command, status, image.ErrorTrack(), image.ErrorSector());
  return status;
}
