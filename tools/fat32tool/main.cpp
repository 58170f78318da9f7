// fat32tool IMAGE COMMAND [ARGS]: the kernel's own FAT32 code run on a disk image file.
//
// The image is a whole disk; the volume is its partition index 0, mounted the
// way the kernel mounts it at boot, through a simulated primary master drive.
// The exit status is the volume's status code.
#include <stdio.h>
#include <string.h>

#include <vector>

#include "drivers/ata.h"
#include "filesystem/fat.h"
#include "lib/vga.h"
#include "hosted/simulated_ata_drive.h"
#include "tools/fat32tool/d64_commands.h"

using korvan::drivers::AdvancedTechnologyAttachment;
using korvan::filesystem::Fat32;

namespace {

constexpr int kUsage = 64;
constexpr uint8_t kSlot = 1;
FILE* g_console = stdout;

void console_sink(uint8_t byte) { fputc(byte, g_console); }

int usage() {
  fputs("usage: fat32tool IMAGE COMMAND [ARGS]\n"
        "  parts            the partition report\n"
        "  dir              the root directory listing\n"
        "  cbmdir           the C64 directory listing as a PRG (load address $0801)\n"
        "  get NAME         the file's bytes to standard output\n"
        "  put NAME         standard input becomes a new file\n"
        "  del NAME         delete a file\n"
        "  ren OLD NEW      rename a file\n"
        "  d64 D64NAME dir             the listing of a D64 image in the volume\n"
        "  d64 D64NAME get PATTERN     a file of the image to standard output\n"
        "  d64 D64NAME put NAME[,S|P|U]  standard input becomes a file (@0:NAME replaces)\n"
        "  d64 D64NAME append NAME[,S|P|U]  standard input added to a file\n"
        "  d64 D64NAME del PATTERN     scratch files\n"
        "  d64 D64NAME ren OLD NEW     rename a file\n"
        "  d64 D64NAME validate        rebuild the BAM from the files' chains\n"
        "volume names in the short form, for example HELLO.PRG; d64 commands end\n"
        "with the drive's status number\n",
        stderr);
  return kUsage;
}

int get(Fat32& volume, const char* name) {
  int status = volume.OpenFile(kSlot, name, Fat32::kModeRead);
  if (status != korvan::filesystem::kFatOk) return status;
  uint8_t byte = 0;
  while ((status = volume.ReadNextFileByte(kSlot, byte)) == korvan::filesystem::kFatOk) fputc(byte, stdout);
  volume.CloseFile(kSlot);
  return status == korvan::filesystem::kFatEndOfFile ? korvan::filesystem::kFatOk : status;
}

int put(Fat32& volume, const char* name) {
  int status = volume.OpenFile(kSlot, name, Fat32::kModeCreate);
  if (status != korvan::filesystem::kFatOk) return status;
  int c;
  while (status == korvan::filesystem::kFatOk && (c = fgetc(stdin)) != EOF)
    status = volume.WriteNextFileByte(kSlot, static_cast<uint8_t>(c));
  int closed = volume.CloseFile(kSlot);
  return status != korvan::filesystem::kFatOk ? status : closed;
}

int cbmdir(Fat32& volume) {
  if (!volume.Mounted()) return korvan::filesystem::kFatInvalid;
  std::vector<uint8_t> image(0xFFFF);
  uint16_t length = volume.GetCBMDir(image.data(), static_cast<uint16_t>(image.size()));
  fputc(0x01, stdout);
  fputc(0x08, stdout);
  fwrite(image.data(), 1, length, stdout);
  return korvan::filesystem::kFatOk;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return usage();
  const char* command = argv[2];
  bool readOnly = !strcmp(command, "parts") || !strcmp(command, "dir") || !strcmp(command, "cbmdir") ||
                  !strcmp(command, "get") || (!strcmp(command, "d64") && argc > 4 &&
                                              (!strcmp(argv[4], "dir") || !strcmp(argv[4], "get")));
  korvan::hosted::ImageFileStore store(argv[1], !readOnly);
  if (!store.ok()) {
    fprintf(stderr, "fat32tool: cannot open %s\n", argv[1]);
    return korvan::filesystem::kFatDiskError;
  }
  // Text the volume prints goes to standard output only where it is the answer.
  bool textAnswer = !strcmp(command, "parts") || !strcmp(command, "dir");
  bool d64 = !strcmp(command, "d64");
  g_console = textAnswer ? stdout : stderr;
  // No framebuffer: a one-row console keeps scrolling from costing anything.
  qlib::vga_init(nullptr, 80, 16, 160, 16);
  qlib::vga_set_mirror(console_sink);

  korvan::hosted::SimulatedAtaDrive drive(&store);
  korvan::hosted::SimulatedAtaChannel channel(AdvancedTechnologyAttachment::kPrimaryBase);
  channel.connect(true, &drive);
  AdvancedTechnologyAttachment disk(true, AdvancedTechnologyAttachment::kPrimaryBase);
  Fat32 volume(&disk, 0);

  int status = kUsage;
  if (!strcmp(command, "parts") && argc == 3) {
    volume.ReadPartitions();
    status = volume.Mounted() ? korvan::filesystem::kFatOk : korvan::filesystem::kFatInvalid;
  } else if (!strcmp(command, "dir") && argc == 3) {
    status = volume.ReadDirectory(0);
    if (!volume.Mounted()) volume.PrintMountReport();
  } else if (!strcmp(command, "cbmdir") && argc == 3) {
    status = cbmdir(volume);
  } else if (!strcmp(command, "get") && argc == 4) {
    status = get(volume, argv[3]);
  } else if (!strcmp(command, "put") && argc == 4) {
    status = put(volume, argv[3]);
  } else if (!strcmp(command, "del") && argc == 4) {
    status = volume.DeleteFile(argv[3]);
  } else if (!strcmp(command, "ren") && argc == 5) {
    status = volume.RenameFile(argv[3], argv[4]);
  } else if (d64 && !volume.Mounted()) {
    status = korvan::filesystem::kFatInvalid;
  } else if (d64) {
    status = RunD64Command(volume, argc - 3, argv + 3, kUsage);
    if (status == kUsage) return usage();
    fflush(stdout);
    return status;
  } else {
    return usage();
  }
  if (textAnswer) fputc('\n', stdout);
  if (status != korvan::filesystem::kFatOk) {
    if (!volume.Mounted() && !textAnswer) {
      g_console = stderr;
      volume.PrintMountReport();
      fputc('\n', stderr);
    }
    fprintf(stderr, "fat32tool: %s: status %d\n", command, status);
  }
  fflush(stdout);
  return status;
}
