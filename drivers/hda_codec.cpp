// The High Definition Audio codec's output path.
#include "drivers/hda_codec.h"

namespace korvan::drivers {

namespace {

constexpr uint32_t verb12(uint32_t verb, uint8_t payload) { return verb << 8 | payload; }
constexpr uint32_t verb4(uint32_t verb, uint16_t payload) { return verb << 16 | payload; }
constexpr int kNoPreference = 99;

}  // namespace

bool HighDefinitionAudioCodec::Send(uint8_t node, uint32_t verb, uint32_t* response) {
  uint32_t ignored;
  return link_->Command(address_, node, verb, response != nullptr ? response : &ignored);
}

bool HighDefinitionAudioCodec::Parameter(uint8_t node, uint8_t parameter, uint32_t* value) {
  return Send(node, verb12(kGetParameter, parameter), value);
}

uint32_t HighDefinitionAudioCodec::WidgetType(uint8_t node) {
  uint32_t caps = 0;
  if (!Parameter(node, kAudioWidgetCapabilities, &caps)) return 0xF;
  return (caps >> 20) & 0xF;
}

// Short entries come four to a response, long ones two. An entry with the
// range bit stands for every node after the entry before it up to its own,
// and each of those is a connection of its own for the select verb. Nodes
// beyond the 8-bit addresses the verbs reach are listed as 0, never followed.
int HighDefinitionAudioCodec::Connections(uint8_t node, uint8_t* list) {
  uint32_t caps = 0, length = 0;
  if (!Parameter(node, kAudioWidgetCapabilities, &caps) || !(caps & kConnectionListPresent)) return 0;
  if (!Parameter(node, kConnectionListLength, &length)) return 0;
  bool long_form = (length & kLongFormEntries) != 0;
  uint32_t per_response = long_form ? 2 : 4, bits = long_form ? 16 : 8;
  uint32_t range = 1u << (bits - 1);
  uint32_t entries = length & kConnectionListLengthMask, response = 0;
  int count = 0;
  for (uint32_t i = 0; i < entries && count < kMostConnections; i++) {
    if (i % per_response == 0 && !Send(node, verb12(kGetConnectionListEntry, static_cast<uint8_t>(i)), &response))
      break;
    uint32_t entry = (response >> (i % per_response * bits)) & ((1u << bits) - 1);
    uint32_t id = entry & (range - 1);
    uint32_t from = (entry & range) && count > 0 && list[count - 1] != 0 ? list[count - 1] + 1u : id;
    for (uint32_t n = from; n <= id && count < kMostConnections; n++)
      list[count++] = n <= 0xFF ? static_cast<uint8_t>(n) : 0;
  }
  return count;
}

bool HighDefinitionAudioCodec::FindConverter(uint8_t node, int depth) {
  if (depth >= kLongestPath) return false;
  path_[depth] = node;
  uint32_t type = WidgetType(node);
  if (type == kWidgetOutput) {
    path_length_ = depth + 1;
    return true;
  }
  if (depth > 0 && type != kWidgetMixer && type != kWidgetSelector) return false;
  uint8_t list[kMostConnections];
  int count = Connections(node, list);
  for (int i = 0; i < count; i++) {
    choices_[depth] = static_cast<uint8_t>(i);
    if (list[i] != 0 && FindConverter(list[i], depth + 1)) return true;
  }
  return false;
}

// Lower is better: a jack or built-in output of a kind that reaches ears.
int HighDefinitionAudioCodec::PinPreference(uint8_t node) {
  uint32_t caps = 0, config = 0;
  if (WidgetType(node) != kWidgetPin || !Parameter(node, kPinCapabilities, &caps) || !(caps & kPinOutputCapable))
    return kNoPreference;
  if (!Send(node, verb12(kGetConfigurationDefault, 0), &config)) return kNoPreference;
  if ((config >> 30) == kNoPhysicalConnection) return kNoPreference;
  uint32_t device = (config >> 20) & 0xF;
  if (device == kDeviceLineOut) return 0;
  if (device == kDeviceSpeaker) return 1;
  if (device == kDeviceHeadphoneOut) return 2;
  return kNoPreference;
}

// Power on, unmute at the amplifier's 0 dB step, and pick the connection
// that leads on to the converter.
void HighDefinitionAudioCodec::EnableNode(int index) {
  uint8_t node = path_[index];
  uint32_t caps = 0, amp = 0;
  Parameter(node, kAudioWidgetCapabilities, &caps);
  Send(node, verb12(kSetPowerState, kPowerD0));
  if (caps & kOutputAmplifierPresent) {
    Parameter(node, kOutputAmplifierCapabilities, &amp);
    Send(node, verb4(kSetAmplifierGainMute, static_cast<uint16_t>(kAmpOutput | kAmpLeftRight | (amp & 0x7F))));
  }
  bool last = index == path_length_ - 1;
  if (last) return;
  if (caps & kInputAmplifierPresent) {
    Parameter(node, kInputAmplifierCapabilities, &amp);
    Send(node, verb4(kSetAmplifierGainMute,
                     static_cast<uint16_t>(kAmpInput | kAmpLeftRight | (choices_[index] & 0x0F) << 8 | (amp & 0x7F))));
  }
  if (WidgetType(node) != kWidgetMixer) Send(node, verb12(kSetConnectionSelect, choices_[index]));
}

const char* HighDefinitionAudioCodec::SetUpOutput(uint8_t stream_tag, uint16_t format) {
  uint32_t nodes = 0;
  if (!Parameter(0, kVendorId, &vendor_id_) || !Parameter(0, kSubordinateNodeCount, &nodes)) return "codec silent";
  uint8_t best_pin = 0;
  int best = kNoPreference;
  for (uint8_t group = (nodes >> 16) & 0xFF, groups = nodes & 0xFF; groups > 0; group++, groups--) {
    uint32_t type = 0, widgets = 0;
    if (!Parameter(group, kFunctionGroupType, &type) || (type & 0xFF) != kAudioFunctionGroup) continue;
    Send(group, verb12(kSetPowerState, kPowerD0));
    if (!Parameter(group, kSubordinateNodeCount, &widgets)) continue;
    for (uint8_t node = (widgets >> 16) & 0xFF, count = widgets & 0xFF; count > 0; node++, count--) {
      int preference = PinPreference(node);
      if (preference < best && FindConverter(node, 0)) {
        best = preference;
        best_pin = node;
      }
    }
  }
  if (best == kNoPreference) return "no output pin";
  FindConverter(best_pin, 0);
  for (int i = 0; i < path_length_; i++) EnableNode(i);
  uint32_t pin_caps = 0;
  Parameter(best_pin, kPinCapabilities, &pin_caps);
  uint8_t control = kPinOutEnable | ((pin_caps & kPinHeadphoneDrive) ? kPinHeadphoneEnable : 0);
  Send(best_pin, verb12(kSetPinWidgetControl, control));
  if (pin_caps & kPinEapdCapable) Send(best_pin, verb12(kSetEapdBtlEnable, kEapd));
  Send(converter(), verb12(kSetConverterStreamChannel, static_cast<uint8_t>(stream_tag << 4)));
  if (!Send(converter(), verb4(kSetConverterFormat, format))) return "converter silent";
  return nullptr;
}

}  // namespace korvan::drivers
