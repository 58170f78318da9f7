// One codec on a High Definition Audio link, reached by verbs: finds an
// output pin that goes somewhere (line out, speaker or headphones), follows
// its connections to an output converter, and powers, unmutes and selects
// every widget on the way.
#pragma once
#include <stdint.h>

namespace korvan::drivers {

// The controller's side: one verb to one node, one response back.
class HighDefinitionAudioLink {
 public:
  // verb: the 20-bit verb and payload field. False when no response came.
  virtual bool Command(uint8_t codec, uint8_t node, uint32_t verb, uint32_t* response) = 0;
};

class HighDefinitionAudioCodec {
 public:
  // Verbs, 12-bit with an 8-bit payload unless marked.
  static constexpr uint32_t kGetParameter = 0xF00;
  static constexpr uint32_t kGetConnectionSelect = 0xF01;
  static constexpr uint32_t kGetConnectionListEntry = 0xF02;
  static constexpr uint32_t kGetConfigurationDefault = 0xF1C;
  static constexpr uint32_t kSetConnectionSelect = 0x701;
  static constexpr uint32_t kSetPowerState = 0x705;
  static constexpr uint32_t kSetConverterStreamChannel = 0x706;
  static constexpr uint32_t kSetPinWidgetControl = 0x707;
  static constexpr uint32_t kSetEapdBtlEnable = 0x70C;
  static constexpr uint32_t kSetConverterFormat = 0x2;  // 4-bit verb, 16-bit payload
  static constexpr uint32_t kSetAmplifierGainMute = 0x3;  // 4-bit verb, 16-bit payload

  // Parameters.
  static constexpr uint8_t kVendorId = 0x00;
  static constexpr uint8_t kSubordinateNodeCount = 0x04;
  static constexpr uint8_t kFunctionGroupType = 0x05;
  static constexpr uint8_t kAudioWidgetCapabilities = 0x09;
  static constexpr uint8_t kPinCapabilities = 0x0C;
  static constexpr uint8_t kInputAmplifierCapabilities = 0x0D;
  static constexpr uint8_t kConnectionListLength = 0x0E;
  static constexpr uint8_t kOutputAmplifierCapabilities = 0x12;

  static constexpr uint32_t kAudioFunctionGroup = 0x01;
  // Audio widget types (capabilities bits 20-23).
  static constexpr uint32_t kWidgetOutput = 0x0;
  static constexpr uint32_t kWidgetMixer = 0x2;
  static constexpr uint32_t kWidgetSelector = 0x3;
  static constexpr uint32_t kWidgetPin = 0x4;
  // Audio widget capability bits.
  static constexpr uint32_t kInputAmplifierPresent = 1u << 1;
  static constexpr uint32_t kOutputAmplifierPresent = 1u << 2;
  static constexpr uint32_t kConnectionListPresent = 1u << 8;
  // Pin capability bits.
  static constexpr uint32_t kPinHeadphoneDrive = 1u << 3;
  static constexpr uint32_t kPinOutputCapable = 1u << 4;
  static constexpr uint32_t kPinEapdCapable = 1u << 16;
  // Pin widget control and EAPD bits.
  static constexpr uint8_t kPinOutEnable = 0x40;
  static constexpr uint8_t kPinHeadphoneEnable = 0x80;
  static constexpr uint8_t kEapd = 0x02;
  // Amplifier gain/mute payload bits.
  static constexpr uint16_t kAmpOutput = 0x8000;
  static constexpr uint16_t kAmpInput = 0x4000;
  static constexpr uint16_t kAmpLeftRight = 0x3000;
  static constexpr uint8_t kPowerD0 = 0x00;

  // Default-configuration fields: port connectivity and default device.
  static constexpr uint32_t kNoPhysicalConnection = 0x1;
  static constexpr uint32_t kDeviceLineOut = 0x0;
  static constexpr uint32_t kDeviceSpeaker = 0x1;
  static constexpr uint32_t kDeviceHeadphoneOut = 0x2;

  // Connection list length parameter fields.
  static constexpr uint32_t kLongFormEntries = 0x80;
  static constexpr uint32_t kConnectionListLengthMask = 0x7F;
  // The most connections followed from one widget.
  static constexpr int kMostConnections = 32;

  static constexpr int kLongestPath = 5;  // pin, up to three mixers or selectors, converter

  HighDefinitionAudioCodec(HighDefinitionAudioLink* link, uint8_t address) : link_(link), address_(address) {}

  // Finds and sets up the output path, its converter on stream tag, channels
  // from 0, in format. Null on success, else why not.
  const char* SetUpOutput(uint8_t stream_tag, uint16_t format);

  uint32_t vendor_id() const { return vendor_id_; }
  uint8_t converter() const { return path_[path_length_ - 1]; }
  int path_length() const { return path_length_; }
  uint8_t path(int i) const { return path_[i]; }

 private:
  bool Parameter(uint8_t node, uint8_t parameter, uint32_t* value);
  bool Send(uint8_t node, uint32_t verb, uint32_t* response = nullptr);
  // The node's connections, ranges expanded, into list (kMostConnections
  // long); returns how many.
  int Connections(uint8_t node, uint8_t* list);
  uint32_t WidgetType(uint8_t node);
  // Depth-first from node to an output converter; fills path_ and choices_.
  bool FindConverter(uint8_t node, int depth);
  int PinPreference(uint8_t node);
  void EnableNode(int index);

  HighDefinitionAudioLink* link_;
  uint8_t address_;
  uint32_t vendor_id_ = 0;
  uint8_t path_[kLongestPath] = {};
  uint8_t choices_[kLongestPath] = {};  // which connection of path_[i] leads on
  int path_length_ = 0;
};

}  // namespace korvan::drivers
