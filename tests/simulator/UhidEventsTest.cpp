// SPDX-License-Identifier: GPL-3.0-or-later
#include "simulator/UhidEvents.h"

#include <gtest/gtest.h>

#include <linux/input.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "link/ReportDescriptor.h"

namespace {

std::vector<std::uint8_t> BytesOf(const uhid_event& Event) {
  const auto* Bytes = reinterpret_cast<const std::uint8_t*>(&Event);
  return {Bytes, Bytes + sizeof Event};
}

std::uint32_t Le(const std::vector<std::uint8_t>& Bytes, std::size_t At, std::size_t Size) {
  std::uint32_t Value = 0;
  for (std::size_t I = 0; I < Size; ++I) {
    Value |= static_cast<std::uint32_t>(Bytes[At + I]) << (8 * I);
  }
  return Value;
}

TEST(UhidEvents, AnalyserDescriptorHasTwo64ByteReportsWithoutIds) {
  const std::vector<std::uint8_t>& Descriptor = AnalyserReportDescriptor();
  TReportLengths Lengths;
  TReportNumbering Numbering;
  std::string Error;
  ASSERT_TRUE(
      ParseReportDescriptor(Descriptor.data(), Descriptor.size(), Lengths, Numbering, Error));
  EXPECT_EQ(Lengths.Input, 65);
  EXPECT_EQ(Lengths.Output, 65);
  EXPECT_EQ(Lengths.Feature, 0);
  EXPECT_FALSE(Numbering.Input || Numbering.Output || Numbering.Feature);
}

TEST(UhidEvents, Create2LaysTheDeviceOutWhereTheKernelReadsIt) {
  TUhidDeviceInfo Info;
  Info.Name = std::string(200, 'n');
  Info.Phys = "phys";
  Info.Bus = BUS_USB;
  Info.Vendor = 0x04D8;
  Info.Product = 0x0005;
  Info.Version = 0x0100;
  Info.Descriptor = AnalyserReportDescriptor();
  const std::optional<uhid_event> Event = BuildCreate2(Info);
  ASSERT_TRUE(Event);
  const std::vector<std::uint8_t> Bytes = BytesOf(*Event);
  // type, then name[128], phys[64], uniq[64], rd_size, bus, vendor,
  // product, version, country, rd_data: all packed, little-endian.
  EXPECT_EQ(Le(Bytes, 0, 4), 11U) << "UHID_CREATE2";
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&Bytes[4])), std::string(127, 'n'))
      << "a long name is cut and stays terminated";
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&Bytes[132])), "phys");
  EXPECT_EQ(Le(Bytes, 260, 2), AnalyserReportDescriptor().size());
  EXPECT_EQ(Le(Bytes, 262, 2), 3U) << "BUS_USB";
  EXPECT_EQ(Le(Bytes, 264, 4), 0x04D8U);
  EXPECT_EQ(Le(Bytes, 268, 4), 0x0005U);
  EXPECT_EQ(Le(Bytes, 272, 4), 0x0100U);
  EXPECT_EQ(
      std::vector<std::uint8_t>(Bytes.begin() + 280,
                                Bytes.begin() + 280 + static_cast<long>(Info.Descriptor.size())),
      Info.Descriptor);

  Info.Descriptor.assign(HID_MAX_DESCRIPTOR_SIZE + 1, 0);
  EXPECT_FALSE(BuildCreate2(Info)) << "too long for rd_data";
  Info.Descriptor.clear();
  EXPECT_FALSE(BuildCreate2(Info));
}

TEST(UhidEvents, Input2TakesOnlyWhatFits) {
  const std::vector<std::uint8_t> Block(64, 0x5A);
  const std::optional<uhid_event> Input = BuildInput2(Block.data(), Block.size());
  ASSERT_TRUE(Input);
  const std::vector<std::uint8_t> Bytes = BytesOf(*Input);
  EXPECT_EQ(Le(Bytes, 0, 4), 12U) << "UHID_INPUT2";
  EXPECT_EQ(Le(Bytes, 4, 2), 64U);
  EXPECT_EQ(std::vector<std::uint8_t>(Bytes.begin() + 6, Bytes.begin() + 70), Block);
  const std::vector<std::uint8_t> TooLong(UHID_DATA_MAX + 1);
  EXPECT_FALSE(BuildInput2(TooLong.data(), TooLong.size()));
  EXPECT_FALSE(BuildInput2(Block.data(), 0));
}

// Decodes exactly Count bytes of Event, so that a read past them shows
// under the address sanitizer.
std::optional<TUhidReceived> DecodeCut(const uhid_event& Event, std::size_t Count) {
  auto Exact = std::make_unique<std::uint8_t[]>(Count);
  std::memcpy(Exact.get(), &Event, Count);
  return DecodeUhidEvent(Exact.get(), Count);
}

TEST(UhidEvents, DecodingNeverTrustsASizeBeyondTheBytesThere) {
  uhid_event Event;
  std::memset(&Event, 0, sizeof Event);
  Event.type = UHID_OUTPUT;
  Event.u.output.data[0] = 0;
  Event.u.output.data[1] = 0x0B;
  Event.u.output.size = 65;
  Event.u.output.rtype = UHID_OUTPUT_REPORT;
  auto Received = DecodeCut(Event, sizeof Event);
  ASSERT_TRUE(Received);
  EXPECT_EQ(Received->Type, UHID_OUTPUT);
  EXPECT_EQ(Received->ReportType, UHID_OUTPUT_REPORT);
  ASSERT_EQ(Received->Data.size(), 65U);
  EXPECT_EQ(Received->Data[1], 0x0B);

  Event.u.output.size = UHID_DATA_MAX + 100;
  EXPECT_EQ(DecodeCut(Event, sizeof Event)->Data.size(), std::size_t{UHID_DATA_MAX});
  // A short event reads as zero-extended: no size, so no data.
  EXPECT_TRUE(DecodeCut(Event, 4 + 10)->Data.empty());
  EXPECT_FALSE(DecodeCut(Event, 3)) << "not even a type";

  Event.type = UHID_GET_REPORT;
  Event.u.get_report.id = 42;
  EXPECT_EQ(DecodeCut(Event, sizeof Event)->RequestId, 42U);
  EXPECT_EQ(HexLine({}), "");
  EXPECT_EQ(HexLine({0x00, 0x0B, 0xFF}), "00 0b ff");
}

}  // namespace
