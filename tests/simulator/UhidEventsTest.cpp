#include "simulator/UhidEvents.h"

#include <gtest/gtest.h>

#include <linux/input.h>

#include <cstring>
#include <string>
#include <vector>

#include "link/ReportDescriptor.h"
#include "tests/support/CaseNames.h"

namespace {

using CaseNames::PrintTo;

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
  EXPECT_EQ(Bytes[196], 0) << "no uniq";
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

TEST(UhidEvents, Input2AndTheRepliesCarryTheirFields) {
  const std::vector<std::uint8_t> Block(64, 0x5A);
  const std::optional<uhid_event> Input = BuildInput2(Block.data(), Block.size());
  ASSERT_TRUE(Input);
  std::vector<std::uint8_t> Bytes = BytesOf(*Input);
  EXPECT_EQ(Le(Bytes, 0, 4), 12U) << "UHID_INPUT2";
  EXPECT_EQ(Le(Bytes, 4, 2), 64U);
  EXPECT_EQ(std::vector<std::uint8_t>(Bytes.begin() + 6, Bytes.begin() + 70), Block);
  EXPECT_EQ(Bytes[70], 0);
  const std::vector<std::uint8_t> TooLong(UHID_DATA_MAX + 1);
  EXPECT_FALSE(BuildInput2(TooLong.data(), TooLong.size()));
  EXPECT_FALSE(BuildInput2(Block.data(), 0));

  Bytes = BytesOf(BuildGetReportReply(0x01020304, 5));
  EXPECT_EQ(Le(Bytes, 0, 4), 10U) << "UHID_GET_REPORT_REPLY";
  EXPECT_EQ(Le(Bytes, 4, 4), 0x01020304U);
  EXPECT_EQ(Le(Bytes, 8, 2), 5U);
  EXPECT_EQ(Le(Bytes, 10, 2), 0U) << "no data";
  Bytes = BytesOf(BuildSetReportReply(77, 5));
  EXPECT_EQ(Le(Bytes, 0, 4), 14U) << "UHID_SET_REPORT_REPLY";
  EXPECT_EQ(Le(Bytes, 4, 4), 77U);
  EXPECT_EQ(Le(Bytes, 8, 2), 5U);
  EXPECT_EQ(Le(BytesOf(BuildDestroy()), 0, 4), 1U) << "UHID_DESTROY";
}

// An event as the kernel writes it, cut to Count bytes.
struct TDecodeCase {
  std::string Name;
  uhid_event Event;
  std::size_t Count;
  std::uint32_t Type;
  std::size_t DataSize;
};

uhid_event Output(std::uint16_t Size) {
  uhid_event Event;
  std::memset(&Event, 0, sizeof Event);
  Event.type = UHID_OUTPUT;
  for (std::size_t I = 0; I < UHID_DATA_MAX; ++I) {
    Event.u.output.data[I] = static_cast<std::uint8_t>(I);
  }
  Event.u.output.size = Size;
  Event.u.output.rtype = UHID_OUTPUT_REPORT;
  return Event;
}

class UhidDecoding : public testing::TestWithParam<TDecodeCase> {};

TEST_P(UhidDecoding, NeverTrustsASizeBeyondTheBytesRead) {
  const TDecodeCase& Case = GetParam();
  // Exactly Count bytes, so that a read past them shows under the sanitizer.
  auto Exact = std::make_unique<std::uint8_t[]>(Case.Count);
  std::memcpy(Exact.get(), &Case.Event, Case.Count);
  const std::optional<TUhidReceived> Received = DecodeUhidEvent(Exact.get(), Case.Count);
  ASSERT_TRUE(Received);
  EXPECT_EQ(Received->Type, Case.Type);
  ASSERT_EQ(Received->Data.size(), Case.DataSize);
  for (std::size_t I = 0; I < Case.DataSize; ++I) {
    ASSERT_EQ(Received->Data[I], static_cast<std::uint8_t>(I));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Events, UhidDecoding,
    testing::Values(TDecodeCase{"WholeOutput", Output(65), sizeof(uhid_event), UHID_OUTPUT, 65},
                    TDecodeCase{"SizeAboveTheMaximum", Output(UHID_DATA_MAX + 100),
                                sizeof(uhid_event), UHID_OUTPUT, UHID_DATA_MAX},
                    TDecodeCase{"CutInsideTheData", Output(65), 4 + 10, UHID_OUTPUT, 0},
                    TDecodeCase{"TypeOnly", Output(65), 4, UHID_OUTPUT, 0},
                    TDecodeCase{"Unknown",
                                [] {
                                  uhid_event Event = Output(65);
                                  Event.type = 99;
                                  return Event;
                                }(),
                                sizeof(uhid_event), 99, 0}),
    [](const auto& Info) { return Info.param.Name; });

TEST(UhidEvents, StartAndReportRequestsAreDecoded) {
  uhid_event Event;
  std::memset(&Event, 0, sizeof Event);
  Event.type = UHID_START;
  Event.u.start.dev_flags = UHID_DEV_NUMBERED_INPUT_REPORTS;
  auto Received = DecodeUhidEvent(reinterpret_cast<const std::uint8_t*>(&Event), sizeof Event);
  ASSERT_TRUE(Received);
  EXPECT_EQ(Received->DevFlags, UHID_DEV_NUMBERED_INPUT_REPORTS);

  std::memset(&Event, 0, sizeof Event);
  Event.type = UHID_GET_REPORT;
  Event.u.get_report.id = 42;
  Event.u.get_report.rnum = 3;
  Event.u.get_report.rtype = UHID_FEATURE_REPORT;
  Received = DecodeUhidEvent(reinterpret_cast<const std::uint8_t*>(&Event), sizeof Event);
  ASSERT_TRUE(Received);
  EXPECT_EQ(Received->RequestId, 42U);
  EXPECT_EQ(Received->ReportNumber, 3);
  EXPECT_EQ(Received->ReportType, UHID_FEATURE_REPORT);

  EXPECT_FALSE(DecodeUhidEvent(reinterpret_cast<const std::uint8_t*>(&Event), 3));
  EXPECT_EQ(HexLine({}), "");
  EXPECT_EQ(HexLine({0x00, 0x0B, 0xFF}), "00 0b ff");
}

}  // namespace
