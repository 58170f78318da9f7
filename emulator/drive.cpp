// Drive 8's channels, names and patterns, and its command channel.
#include "emulator/drive.h"

#include "lib/string.h"

using korvan::filesystem::CbmEntry;
using korvan::filesystem::kCbmNameBytes;
using namespace korvan::filesystem;

namespace {

constexpr uint8_t kReturn = 0x0D;
// CD's names for the way back to the volume's root: PETSCII's left arrow, "..".
constexpr uint8_t kLeftArrow = 0x5F;
const uint8_t kParent[] = {'.', '.'};
const uint8_t kImageSuffix[] = {'.', 'D', '6', '4'};

struct StatusMessage {
  uint8_t number;
  const char* text;
};
// The texts a 1541 gives; 73 names this drive instead of the 1541's DOS.
const StatusMessage kMessages[] = {
    {kDriveOk, " OK"},
    {kDriveFilesScratched, " FILES SCRATCHED"},
    {kDriveReadError, "READ ERROR"},
    {kDriveNoSync, "READ ERROR"},
    {kDriveNoDataBlock, "READ ERROR"},
    {kDriveChecksumError, "READ ERROR"},
    {kDriveDecodingError, "READ ERROR"},
    {kDriveWriteError, "WRITE ERROR"},
    {kDriveWriteProtect, "WRITE PROTECT ON"},
    {kDriveHeaderChecksum, "READ ERROR"},
    {kDriveLongDataBlock, "WRITE ERROR"},
    {kDriveIdMismatch, "DISK ID MISMATCH"},
    {kDriveSyntaxError, "SYNTAX ERROR"},
    {kDriveInvalidCommand, "SYNTAX ERROR"},
    {kDriveLongLine, "SYNTAX ERROR"},
    {kDriveInvalidName, "SYNTAX ERROR"},
    {kDriveNoName, "SYNTAX ERROR"},
    {kDriveWriteFileOpen, "WRITE FILE OPEN"},
    {kDriveFileNotOpen, "FILE NOT OPEN"},
    {kDriveFileNotFound, "FILE NOT FOUND"},
    {kDriveFileExists, "FILE EXISTS"},
    {kDriveTypeMismatch, "FILE TYPE MISMATCH"},
    {kDriveIllegalTrackSector, "ILLEGAL TRACK OR SECTOR"},
    {kDriveNoChannel, "NO CHANNEL"},
    {kDriveDirError, "DIR ERROR"},
    {kDriveDiskFull, "DISK FULL"},
    {kDrivePowerUp, "QUILLON DOS V1.0 FAT32"},
    {kDriveNotReady, "DRIVE NOT READY"},
};

bool same_bytes(const uint8_t* a, const uint8_t* b, uint32_t count) {
  for (uint32_t i = 0; i < count; i++)
    if (a[i] != b[i]) return false;
  return true;
}

bool is_wildcard(uint8_t c) { return c == '*' || c == '?'; }

bool has_wildcard(const CbmName& name) {
  for (uint8_t i = 0; i < name.length; i++)
    if (is_wildcard(name.bytes[i])) return true;
  return false;
}

// A 1541's patterns: "*" takes the rest of the name, "?" any one character.
bool matches(const CbmName& pattern, const CbmName& name) {
  for (uint8_t i = 0; i < pattern.length; i++) {
    if (pattern.bytes[i] == '*') return true;
    if (i >= name.length) return false;
    if (pattern.bytes[i] != '?' && pattern.bytes[i] != name.bytes[i]) return false;
  }
  return pattern.length == name.length;
}

// Skips an optional drive number and colon ("0:", ":"). Drive 0 is the only
// one; another number is a drive that is not ready.
DriveStatus skip_drive(const uint8_t*& text, uint8_t& length) {
  for (uint8_t i = 0; i < length && i < 2; i++) {
    if (text[i] != ':') continue;
    if (i == 1 && text[0] != '0') return kDriveNotReady;
    text += i + 1;
    length = static_cast<uint8_t>(length - i - 1);
    return kDriveOk;
  }
  return kDriveOk;
}

DriveStatus take_name(const uint8_t* text, uint8_t length, CbmName& name) {
  if (length > kCbmNameBytes) return kDriveInvalidName;
  name.length = length;
  for (uint8_t i = 0; i < length; i++) name.bytes[i] = text[i];
  return kDriveOk;
}

uint8_t index_of(const uint8_t* text, uint8_t length, uint8_t c) {
  for (uint8_t i = 0; i < length; i++)
    if (text[i] == c) return i;
  return length;
}

void put_two_digits(char* at, uint32_t value) {
  if (value > 99) value = 99;
  at[0] = static_cast<char>('0' + value / 10);
  at[1] = static_cast<char>('0' + value % 10);
}

// Finds the first entry a pattern matches, or collects up to a batch of them.
class Matcher : public CbmDisk::Visitor {
 public:
  static constexpr uint8_t kBatch = 16;
  Matcher(const CbmName& pattern, bool typed, CbmFileType type, uint8_t most)
      : pattern_(pattern), typed_(typed), type_(type), most_(most) {}
  bool Visit(const CbmEntry& entry) override {
    if (!matches(pattern_, entry.name)) return true;
    if (typed_ ? entry.type != type_ : entry.type == CbmFileType::Dir) return true;
    found[count].name = entry.name;
    found[count].type = entry.type;
    return ++count < most_;
  }
  struct Found {
    CbmName name;
    CbmFileType type;
  } found[kBatch];
  uint8_t count = 0;

 private:
  const CbmName& pattern_;
  bool typed_;
  CbmFileType type_;
  uint8_t most_;
};

// The statuses a disk reports with the track and sector they concern; 26
// is the drive's own answer to N, about no sector.
bool names_a_place(DriveStatus status) {
  return (status >= kDriveReadError && status <= kDriveIdMismatch && status != kDriveWriteProtect) ||
         status == kDriveIllegalTrackSector || status == kDriveDirError;
}

}  // namespace

Drive::Drive() {
  memset(channels_, 0, sizeof(channels_));
  last_loaded_.length = 0;
  set_status(kDrivePowerUp);
}

Drive::~Drive() { close_all(); }

void Drive::disk(CbmDisk* disk) {
  close_all();
  disk_ = disk;
  loaded_since_start_ = false;
}

void Drive::set_status(DriveStatus status, uint8_t track, uint8_t sector) {
  if (track == 0 && sector == 0 && names_a_place(status) && disk_ != nullptr) disk_->ErrorPlace(track, sector);
  status_ = status;
  const char* text = "";
  for (const StatusMessage& m : kMessages)
    if (m.number == status) text = m.text;
  put_two_digits(status_text_, status);
  uint32_t n = 2;
  status_text_[n++] = ',';
  for (const char* c = text; *c != 0 && n < kStatusTextBytes - 8; c++) status_text_[n++] = *c;
  status_text_[n++] = ',';
  put_two_digits(status_text_ + n, track);
  n += 2;
  status_text_[n++] = ',';
  put_two_digits(status_text_ + n, sector);
  n += 2;
  status_text_[n] = '\0';
  status_position_ = 0;
}

void Drive::release(Channel& channel) {
  delete[] channel.listing;
  memset(&channel, 0, sizeof(Channel));
}

void Drive::close(uint8_t sa) {
  uint8_t number = sa & 0x0F;
  if (number == kCommandChannel) {
    if (command_length_ > 0) run_command();
    close_all();
    return;
  }
  Channel& channel = channels_[number];
  DriveStatus result = kDriveOk;
  if ((channel.mode == Mode::Read || channel.mode == Mode::Write) && disk_ != nullptr)
    result = disk_->Close(channel.handle);
  bool failed = channel.failed;
  Mode mode = channel.mode;
  DriveStatus damage = channel.outcome;
  release(channel);
  if (mode == Mode::Write && !failed) set_status(result);
  if (mode == Mode::Listing && damage != kDriveOk) set_status(damage);
}

void Drive::close_all() {
  for (uint8_t number = 0; number < kChannels; number++)
    if (number != kCommandChannel) close(number);
  command_length_ = 0;
  command_too_long_ = false;
}

bool Drive::take_handle(uint8_t& handle) const {
  for (handle = 0; handle < CbmDisk::kHandles; handle++) {
    bool used = false;
    for (const Channel& channel : channels_)
      used |= (channel.mode == Mode::Read || channel.mode == Mode::Write) && channel.handle == handle;
    if (!used) return true;
  }
  return false;
}

DriveStatus Drive::parse_file_name(const uint8_t* name, uint8_t length, uint8_t sa, FileRequest& request) const {
  request.replace = false;
  request.directory = false;
  request.typed = sa == kLoadChannel || sa == kSaveChannel;
  request.type = CbmFileType::Prg;
  request.mode = sa == kSaveChannel ? 'W' : 'R';
  if (length > 0 && name[0] == '$') {
    request.directory = true;
    request.pattern.length = 0;
    return kDriveOk;
  }
  if (length > 0 && name[0] == '@') {
    request.replace = true;
    name++;
    length--;
  }
  DriveStatus status = skip_drive(name, length);
  if (status != kDriveOk) return status;
  uint8_t comma = index_of(name, length, ',');
  status = take_name(name, comma, request.pattern);
  if (status != kDriveOk) return status;
  if (request.pattern.length == 0) return kDriveNoName;
  bool typeGiven = false;
  for (uint8_t at = comma; at < length;) {
    uint8_t next = static_cast<uint8_t>(at + 1 + index_of(name + at + 1, static_cast<uint8_t>(length - at - 1), ','));
    uint8_t letter = at + 1 < length ? name[at + 1] : 0;
    if (letter == 'S' || letter == 'P' || letter == 'U' || letter == 'L') {
      request.type = letter == 'S' ? CbmFileType::Seq
                  : letter == 'P' ? CbmFileType::Prg
                  : letter == 'U' ? CbmFileType::Usr
                                  : CbmFileType::Rel;
      request.typed = true;
      typeGiven = true;
    } else if (letter == 'R' || letter == 'W' || letter == 'A' || letter == 'M') {
      request.mode = static_cast<char>(letter);
    } else {
      return kDriveSyntaxError;
    }
    at = next;
  }
  // A new file on a data channel is sequential unless told otherwise.
  if (request.mode == 'W' && !typeGiven && sa != kSaveChannel) {
    request.type = CbmFileType::Seq;
    request.typed = true;
  }
  return kDriveOk;
}

DriveStatus Drive::find(CbmDisk& disk, const CbmName& pattern, bool typed, CbmFileType type, CbmName& name,
                        CbmFileType& found) {
  Matcher matcher(pattern, typed, type, 1);
  DriveStatus status = disk.List(matcher);
  if (status != kDriveOk) return status;
  if (matcher.count == 0) return kDriveFileNotFound;
  name = matcher.found[0].name;
  found = matcher.found[0].type;
  return kDriveOk;
}

Drive::DriveStatus Drive::find_typed(CbmDisk& disk, const CbmName& pattern, bool typed, CbmFileType type,
                                     CbmName& name, CbmFileType& found) {
  DriveStatus status = find(disk, pattern, typed, type, name, found);
  if (status == kDriveFileNotFound && typed && find(disk, pattern, false, type, name, found) == kDriveOk)
    return kDriveTypeMismatch;
  return status;
}

void Drive::open(uint8_t sa, const uint8_t* name, uint8_t length) {
  uint8_t number = sa & 0x0F;
  if (number == kCommandChannel) {
    // The name sent with an OPEN of channel 15 is a command.
    command_length_ = 0;
    for (uint8_t i = 0; i < length; i++) write(number, name[i]);
    if (command_length_ > 0) run_command();
    return;
  }
  Channel& channel = channels_[number];
  // A 1541 closes what a secondary address had open before it opens anew.
  close(number);
  if (disk_ == nullptr) {
    set_status(kDriveNotReady);
    return;
  }
  FileRequest request;
  DriveStatus status = length == 0 ? kDriveNoName : parse_file_name(name, length, number, request);
  // The directory can only be read; no file can take its name.
  if (status == kDriveOk && request.directory && request.mode == 'W') status = kDriveInvalidName;
  if (status == kDriveOk) status = request.directory ? open_listing(channel) : open_file(channel, number, request);
  set_status(status);
}

DriveStatus Drive::open_listing(Channel& channel) {
  uint32_t room = listing_room_ < kMostListingBytes ? listing_room_ : kMostListingBytes;
  listing_room_ = kMostListingBytes;
  if (room < 2) return kDriveNoChannel;
  uint8_t* listing = new uint8_t[room];
  if (listing == nullptr) return kDriveNoChannel;
  uint32_t length = 0;
  DriveStatus damage = disk_->Listing(listing, room, length);
  if (length == 0) {
    delete[] listing;
    return damage != kDriveOk ? damage : kDriveNoChannel;
  }
  channel.mode = Mode::Listing;
  channel.listing = listing;
  channel.length = length;
  channel.position = 0;
  channel.outcome = damage;
  return kDriveOk;
}

DriveStatus Drive::open_file(Channel& channel, uint8_t sa, const FileRequest& request) {
  uint8_t handle = 0;
  if (!take_handle(handle)) return kDriveNoChannel;
  if (request.typed && request.type == CbmFileType::Rel) return kDriveTypeMismatch;
  DriveStatus status = kDriveOk;
  if (request.mode == 'W') {
    if (has_wildcard(request.pattern)) return kDriveInvalidName;
    CbmName existing;
    CbmFileType existingType;
    // A name may be on the disk once, whatever its type.
    if (!request.replace && find(*disk_, request.pattern, false, request.type, existing, existingType) == kDriveOk)
      return kDriveFileExists;
    status = disk_->Create(handle, request.pattern, request.type, request.replace);
    if (status != kDriveOk) return status;
    channel.mode = Mode::Write;
    channel.handle = handle;
    return kDriveOk;
  }
  CbmName name;
  CbmFileType type = request.type;
  bool last = sa == kLoadChannel && request.pattern.length == 1 && request.pattern.bytes[0] == '*' && loaded_since_start_;
  if (last) {
    name = last_loaded_;
  } else {
    status = find_typed(*disk_, request.pattern, request.typed, request.type, name, type);
    if (status != kDriveOk) return status;
  }
  if (request.mode == 'A') {
    status = disk_->OpenAppend(handle, name, type);
    if (status != kDriveOk) return status;
    channel.mode = Mode::Write;
    channel.handle = handle;
    return kDriveOk;
  }
  status = disk_->OpenRead(handle, name, type);
  if (status != kDriveOk) return status;
  channel.mode = Mode::Read;
  channel.handle = handle;
  fetch_next(channel);
  // A file whose first block cannot be read does not open.
  if (!channel.has_next && channel.outcome != kDiskEndOfFile) {
    status = channel.outcome;
    disk_->Close(handle);
    release(channel);
    return status;
  }
  if (sa == kLoadChannel) {
    last_loaded_ = name;
    loaded_since_start_ = true;
  }
  return kDriveOk;
}

// An error on the way ends the file there and stays in the status, so that
// a file cut short is not taken for a whole one.
void Drive::fetch_next(Channel& channel) {
  DriveStatus status = disk_ != nullptr ? disk_->Read(channel.handle, channel.next) : kDriveNotReady;
  channel.has_next = status == kDriveOk;
  if (channel.has_next) return;
  channel.outcome = status;
  if (status != kDiskEndOfFile) set_status(status);
}

Drive::DriveStatus Drive::read_status(uint8_t& byte, bool& last) {
  uint8_t length = static_cast<uint8_t>(strlen(status_text_));
  if (status_position_ < length) {
    byte = static_cast<uint8_t>(status_text_[status_position_++]);
    last = false;
    return kDriveOk;
  }
  // The carriage return ends the message, and reading it clears the status.
  byte = kReturn;
  last = true;
  set_status(kDriveOk);
  return kDriveOk;
}

Drive::DriveStatus Drive::read(uint8_t sa, uint8_t& byte, bool& last) {
  uint8_t number = sa & 0x0F;
  last = false;
  if (number == kCommandChannel) return read_status(byte, last);
  Channel& channel = channels_[number];
  if (channel.mode == Mode::Listing) {
    if (channel.position >= channel.length) return kDiskEndOfFile;
    byte = channel.listing[channel.position++];
    last = channel.position == channel.length;
    return kDriveOk;
  }
  if (channel.mode != Mode::Read) return kDriveFileNotOpen;
  if (!channel.has_next) return channel.outcome;
  byte = channel.next;
  fetch_next(channel);
  last = !channel.has_next;
  return kDriveOk;
}

Drive::DriveStatus Drive::write(uint8_t sa, uint8_t byte) {
  uint8_t number = sa & 0x0F;
  if (number == kCommandChannel) {
    if (byte == kReturn) {
      run_command();
    } else if (command_length_ < kCommandBytes) {
      command_[command_length_++] = byte;
    } else {
      command_too_long_ = true;
    }
    return kDriveOk;
  }
  Channel& channel = channels_[number];
  if (channel.mode != Mode::Write) return kDriveFileNotOpen;
  if (channel.failed) return status_;
  DriveStatus status = disk_->Write(channel.handle, byte);
  if (status != kDriveOk) {
    channel.failed = true;
    set_status(status);
  }
  return status;
}

void Drive::unlisten(uint8_t sa) {
  if ((sa & 0x0F) == kCommandChannel && command_length_ > 0) run_command();
}

void Drive::run_command() {
  uint8_t length = command_length_;
  bool too_long = command_too_long_;
  command_length_ = 0;
  command_too_long_ = false;
  if (length == 0) return;
  if (too_long) return set_status(kDriveLongLine);
  if (disk_ == nullptr) return set_status(kDriveNotReady);
  const uint8_t* text = command_;
  uint8_t colon = index_of(text, length, ':');
  const uint8_t* argument = text + colon + 1;
  uint8_t argument_length = colon < length ? static_cast<uint8_t>(length - colon - 1) : 0;
  switch (text[0]) {
    case 'S': {
      if (colon == length) return set_status(kDriveNoName);
      uint8_t scratched = 0;
      DriveStatus status = scratch(argument, argument_length, scratched);
      return status == kDriveOk ? set_status(kDriveFilesScratched, scratched) : set_status(status);
    }
    case 'R':
      if (colon == length) return set_status(kDriveNoName);
      return set_status(rename(argument, argument_length));
    case 'I':
      return set_status(kDriveOk);
    case 'C':
      if (length < 2 || text[1] != 'D') return set_status(kDriveInvalidCommand);
      // "CD:NAME", also "CD_" and "CD.." without the colon.
      if (colon == length) {
        argument = text + 2;
        argument_length = static_cast<uint8_t>(length - 2);
      }
      return set_status(change_disk(argument, argument_length));
    case 'V': {
      uint32_t problems = 0;
      DriveStatus status = disk_->Validate(problems);
      return set_status(status, static_cast<uint8_t>(problems > 99 ? 99 : problems));
    }
    case 'N':
      // Formatting would erase the whole FAT volume: never.
      return set_status(kDriveWriteProtect);
    case 'U':
      if (length >= 2 && (text[1] == 'J' || text[1] == 'I' || text[1] == ':')) {
        close_all();
        return set_status(kDrivePowerUp);
      }
      return set_status(kDriveInvalidCommand);
    default:
      return set_status(kDriveInvalidCommand);
  }
}

// "S0:A*,B" scratches every file each pattern matches; directories stay.
Drive::DriveStatus Drive::scratch(const uint8_t* names, uint8_t length, uint8_t& scratched) {
  scratched = 0;
  for (uint8_t at = 0; at <= length;) {
    uint8_t end = static_cast<uint8_t>(at + index_of(names + at, static_cast<uint8_t>(length - at), ','));
    const uint8_t* part = names + at;
    uint8_t part_length = static_cast<uint8_t>(end - at);
    DriveStatus status = skip_drive(part, part_length);
    CbmName pattern;
    if (status == kDriveOk) status = take_name(part, part_length, pattern);
    if (status != kDriveOk) return status;
    // Each pass removes what it found; a pass that finds nothing ends it.
    for (uint32_t pass = 0; pattern.length > 0 && pass < 0x10000; pass++) {
      Matcher matcher(pattern, false, CbmFileType::Prg, Matcher::kBatch);
      status = disk_->List(matcher);
      if (status != kDriveOk) return status;
      uint8_t removed = 0;
      for (uint8_t i = 0; i < matcher.count; i++) {
        if (disk_->Scratch(matcher.found[i].name, matcher.found[i].type) != kDriveOk) continue;
        removed++;
        if (scratched < 0xFF) scratched++;
      }
      if (removed == 0) break;
    }
    at = static_cast<uint8_t>(end + 1);
  }
  return kDriveOk;
}

// "R0:NEW=OLD": refused when NEW is on the disk already.
Drive::DriveStatus Drive::rename(const uint8_t* text, uint8_t length) {
  uint8_t equals = index_of(text, length, '=');
  if (equals == length) return kDriveSyntaxError;
  const uint8_t* old_text = text + equals + 1;
  uint8_t old_length = static_cast<uint8_t>(length - equals - 1);
  DriveStatus status = skip_drive(old_text, old_length);
  CbmName new_name, old_name, existing, found;
  if (status == kDriveOk) status = take_name(text, equals, new_name);
  if (status == kDriveOk) status = take_name(old_text, old_length, old_name);
  if (status != kDriveOk) return status;
  if (new_name.length == 0 || old_name.length == 0) return kDriveNoName;
  if (has_wildcard(new_name) || has_wildcard(old_name)) return kDriveInvalidName;
  CbmFileType type, existing_type;
  if (find(*disk_, new_name, false, CbmFileType::Prg, existing, existing_type) == kDriveOk) return kDriveFileExists;
  status = find(*disk_, old_name, false, CbmFileType::Prg, found, type);
  if (status != kDriveOk) return status;
  return disk_->Rename(found, type, new_name);
}

// "CD:NAME.D64" (or NAME, or a pattern) enters the image the volume's root
// lists as NAME, from the root or from another image; "CD:_" and "CD:.."
// go back to the root. Every file open on the disk left is completed first.
Drive::DriveStatus Drive::change_disk(const uint8_t* text, uint8_t length) {
  if (changer_ == nullptr) return kDriveInvalidCommand;
  bool up = (length == 1 && text[0] == kLeftArrow) ||
            (length == sizeof(kParent) && same_bytes(text, kParent, sizeof(kParent)));
  if (up) {
    disk(nullptr);
    changer_->LeaveImage();
    disk(&changer_->Root());
    return kDriveOk;
  }
  if (length > sizeof(kImageSuffix) &&
      same_bytes(text + length - sizeof(kImageSuffix), kImageSuffix, sizeof(kImageSuffix)))
    length = static_cast<uint8_t>(length - sizeof(kImageSuffix));
  CbmName pattern, name;
  CbmFileType type;
  DriveStatus status = take_name(text, length, pattern);
  if (status != kDriveOk) return status;
  if (pattern.length == 0) return kDriveNoName;
  status = find_typed(changer_->Root(), pattern, true, CbmFileType::D64, name, type);
  if (status != kDriveOk) return status;
  close_all();
  CbmDisk* entered = nullptr;
  status = changer_->EnterImage(name, entered);
  if (status == kDriveOk) disk(entered);
  return status;
}
