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

uint8_t HighDefinitionAudioCodec::ConnectionCount(uint8_t node) {
  uint32_t caps = 0, length = 0;
  if (!Parameter(node, kAudioWidgetCapabilities, &caps) || !(caps & kConnectionListPresent)) return 0;
  if (!Parameter(node, kConnectionListLength, &length)) return 0;
  return static_cast<uint8_t>(length & 0x7F);
}

// Short entries come four to a response, long ones two; a range entry is
// taken as its first node.
uint8_t HighDefinitionAudioCodec::Connection(uint8_t node, uint8_t index) {
  uint32_t length = 0, entries = 0;
  Parameter(node, kConnectionListLength, &length);
  bool long_form = (length & 0x80) != 0;
  uint8_t per_response = long_form ? 2 : 4;
  uint8_t first = static_cast<uint8_t>(index - index % per_response);
  if (!Send(node, verb12(kGetConnectionListEntry, first), &entries)) return 0;
  uint32_t shift = (index % per_response) * (long_form ? 16 : 8);
  return static_cast<uint8_t>((entries >> shift) & (long_form ? 0x7FFF : 0x7F));
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
  uint8_t count = ConnectionCount(node);
  for (uint8_t i = 0; i < count; i++) {
    choices_[depth] = i;
    uint8_t next = Connection(node, i);
    if (next != 0 && FindConverter(next, depth + 1)) return true;
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
