// SPDX-License-Identifier: GPL-3.0-or-later
#include "simulator/UhidEvents.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace {

// Copies Text into a fixed field, cut so that a terminating zero always fits.
template <std::size_t N>
void CopyText(__u8 (&Field)[N], const std::string& Text) {
  const std::size_t Size = std::min(Text.size(), N - 1);
  std::memcpy(Field, Text.data(), Size);
  Field[Size] = 0;
}

uhid_event Empty(std::uint32_t Type) {
  uhid_event Event;
  std::memset(&Event, 0, sizeof Event);
  Event.type = Type;
  return Event;
}

}  // namespace

const std::vector<std::uint8_t>& AnalyserReportDescriptor() {
  static const std::vector<std::uint8_t> Descriptor = {
      0x06, 0x00, 0xFF,  // usage page (vendor defined 0xFF00)
      0x09, 0x01,        // usage 1
      0xA1, 0x01,        // collection (application)
      0x19, 0x01, 0x29, 0x40, 0x15, 0x00, 0x26, 0xFF, 0x00, 0x75, 0x08, 0x95, 0x40,  // 64 bytes
      0x81, 0x00,                                                                    // input
      0x19, 0x01, 0x29, 0x40, 0x91, 0x00,  // output, the same 64 bytes
      0xC0,                                // end collection
  };
  return Descriptor;
}

std::optional<uhid_event> BuildCreate2(const TUhidDeviceInfo& Info) {
  if (Info.Descriptor.empty() || Info.Descriptor.size() > HID_MAX_DESCRIPTOR_SIZE) {
    return std::nullopt;
  }
  uhid_event Event = Empty(UHID_CREATE2);
  uhid_create2_req& Create = Event.u.create2;
  CopyText(Create.name, Info.Name);
  CopyText(Create.phys, Info.Phys);
  CopyText(Create.uniq, Info.Uniq);
  Create.rd_size = static_cast<__u16>(Info.Descriptor.size());
  Create.bus = Info.Bus;
  Create.vendor = Info.Vendor;
  Create.product = Info.Product;
  Create.version = Info.Version;
  Create.country = Info.Country;
  std::memcpy(Create.rd_data, Info.Descriptor.data(), Info.Descriptor.size());
  return Event;
}

std::optional<uhid_event> BuildInput2(const std::uint8_t* Data, std::size_t Size) {
  if (Size == 0 || Size > UHID_DATA_MAX) {
    return std::nullopt;
  }
  uhid_event Event = Empty(UHID_INPUT2);
  Event.u.input2.size = static_cast<__u16>(Size);
  std::memcpy(Event.u.input2.data, Data, Size);
  return Event;
}

uhid_event BuildDestroy() {
  return Empty(UHID_DESTROY);
}

uhid_event BuildGetReportReply(std::uint32_t Id, std::uint16_t Error) {
  uhid_event Event = Empty(UHID_GET_REPORT_REPLY);
  Event.u.get_report_reply.id = Id;
  Event.u.get_report_reply.err = Error;
  Event.u.get_report_reply.size = 0;
  return Event;
}

uhid_event BuildSetReportReply(std::uint32_t Id, std::uint16_t Error) {
  uhid_event Event = Empty(UHID_SET_REPORT_REPLY);
  Event.u.set_report_reply.id = Id;
  Event.u.set_report_reply.err = Error;
  return Event;
}

std::optional<TUhidReceived> DecodeUhidEvent(const std::uint8_t* Bytes, std::size_t Count) {
  if (Bytes == nullptr || Count < sizeof(__u32)) {
    return std::nullopt;
  }
  // A zeroed event extended by what was read: the kernel may write short.
  uhid_event Event;
  std::memset(&Event, 0, sizeof Event);
  const std::size_t Taken = std::min(Count, sizeof Event);
  std::memcpy(&Event, Bytes, Taken);

  TUhidReceived Received;
  Received.Type = Event.type;
  switch (Event.type) {
    case UHID_OUTPUT: {
      // Data bytes that were really read, whatever the size field claims.
      constexpr std::size_t DataAt = offsetof(uhid_event, u) + offsetof(uhid_output_req, data);
      const std::size_t Present = Taken > DataAt ? Taken - DataAt : 0;
      const std::size_t Size = std::min<std::size_t>({Event.u.output.size, UHID_DATA_MAX, Present});
      Received.Data.assign(Event.u.output.data, Event.u.output.data + Size);
      Received.ReportType = Event.u.output.rtype;
      break;
    }
    case UHID_GET_REPORT:
      Received.RequestId = Event.u.get_report.id;
      break;
    case UHID_SET_REPORT:
      Received.RequestId = Event.u.set_report.id;
      break;
    default:
      break;
  }
  return Received;
}

std::string HexLine(const std::vector<std::uint8_t>& Bytes) {
  static constexpr char Digits[] = "0123456789abcdef";
  std::string Line;
  Line.reserve(Bytes.size() * 3);
  for (const std::uint8_t Byte : Bytes) {
    if (!Line.empty()) {
      Line += ' ';
    }
    Line += Digits[Byte >> 4];
    Line += Digits[Byte & 0xF];
  }
  return Line;
}
