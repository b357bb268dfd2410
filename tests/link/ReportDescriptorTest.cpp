// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/ReportDescriptor.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct TDescriptorCase {
  std::string Name;
  std::vector<std::uint8_t> Bytes;
  TReportLengths Expected;
  TReportNumbering Numbered;  // input, output, feature
};

void PrintTo(const TDescriptorCase& Case, std::ostream* Out) {
  *Out << Case.Name;
}

// Vendor-defined interface with one 64-byte input and one 64-byte output
// report and no report ids, as the analyser has.
const std::vector<std::uint8_t> VendorDefined64 = {
    0x06, 0x00, 0xFF,  // usage page (vendor defined)
    0x09, 0x01,        // usage
    0xA1, 0x01,        // collection (application)
    0x19, 0x01, 0x29, 0x40, 0x15, 0x00, 0x26, 0xFF, 0x00, 0x75, 0x08,  // report size 8
    0x95, 0x40,                                                        // report count 64
    0x81, 0x00,                                                        // input
    0x19, 0x01, 0x29, 0x40, 0x91, 0x00,                                // output
    0xC0,                                                              // end collection
};

// Boot keyboard: modifiers, reserved byte, six keys in; five LEDs and
// padding out.
const std::vector<std::uint8_t> Keyboard = {
    0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, 0x05, 0x07, 0x19, 0xE0, 0x29, 0xE7, 0x15, 0x00, 0x25, 0x01,
    0x75, 0x01, 0x95, 0x08, 0x81, 0x02, 0x95, 0x01, 0x75, 0x08, 0x81, 0x01, 0x95, 0x05, 0x75, 0x01,
    0x05, 0x08, 0x19, 0x01, 0x29, 0x05, 0x91, 0x02, 0x95, 0x01, 0x75, 0x03, 0x91, 0x01, 0x95, 0x06,
    0x75, 0x08, 0x15, 0x00, 0x25, 0x65, 0x05, 0x07, 0x19, 0x00, 0x29, 0x65, 0x81, 0x00, 0xC0,
};

// Boot mouse: three buttons, padding, X and Y.
const std::vector<std::uint8_t> Mouse = {
    0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x09, 0x01, 0xA1, 0x00, 0x05, 0x09, 0x19,
    0x01, 0x29, 0x03, 0x15, 0x00, 0x25, 0x01, 0x95, 0x03, 0x75, 0x01, 0x81, 0x02,
    0x95, 0x01, 0x75, 0x05, 0x81, 0x01, 0x05, 0x01, 0x09, 0x30, 0x09, 0x31, 0x15,
    0x81, 0x25, 0x7F, 0x75, 0x08, 0x95, 0x02, 0x81, 0x06, 0xC0, 0xC0,
};

// Keyboard (report 1: 7 bytes in, 1 byte out) and consumer control
// (report 2: 2 bytes in) behind report ids.
const std::vector<std::uint8_t> WithReportIds = {
    0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, 0x85, 0x01,  // report id 1
    0x05, 0x07, 0x19, 0xE0, 0x29, 0xE7, 0x15, 0x00, 0x25, 0x01, 0x75, 0x01, 0x95, 0x08, 0x81, 0x02,
    0x95, 0x05, 0x75, 0x01, 0x05, 0x08, 0x19, 0x01, 0x29, 0x05, 0x91, 0x02, 0x95, 0x01, 0x75, 0x03,
    0x91, 0x01, 0x95, 0x06, 0x75, 0x08, 0x15, 0x00, 0x26, 0xFF, 0x00, 0x05, 0x07, 0x19, 0x00, 0x2A,
    0xFF, 0x00, 0x81, 0x00, 0xC0, 0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x02,  // report id 2
    0x15, 0x00, 0x26, 0x3C, 0x02, 0x19, 0x00, 0x2A, 0x3C, 0x02, 0x75, 0x10, 0x95, 0x01, 0x81, 0x00,
    0xC0,
};

// Push keeps report size 8 while a 1-bit field is declared, pop brings it
// back: 1 + 8 bits in = 2 bytes, plus the id byte.
const std::vector<std::uint8_t> PushPop = {
    0x75, 0x08, 0x95, 0x01, 0xA4,  // size 8, count 1, push
    0x75, 0x01, 0x81, 0x02,        // one bit
    0xB4,                          // pop: size 8 again
    0x81, 0x02,                    // eight bits
};

// The analyser's interface again, with its reports behind report id 1.
const std::vector<std::uint8_t> VendorDefined64WithId = {
    0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x01,  // report id 1
    0x19, 0x01, 0x29, 0x40, 0x15, 0x00, 0x26, 0xFF, 0x00, 0x75, 0x08,
    0x95, 0x40, 0x81, 0x00, 0x19, 0x01, 0x29, 0x40, 0x91, 0x00, 0xC0,
};

// Two unnumbered input bytes, then a feature report behind id 3: only the
// feature direction is numbered.
const std::vector<std::uint8_t> NumberedFeatureOnly = {
    0x75, 0x08, 0x95, 0x02, 0x81, 0x02,  // input, no id
    0x85, 0x03, 0xB1, 0x02,              // report id 3, feature
};

// A report id set between push and pop is gone again at the input item.
const std::vector<std::uint8_t> ReportIdPoppedAway = {
    0x75, 0x08, 0x95, 0x01, 0xA4,  // push
    0x85, 0x02, 0xB4,              // report id 2, pop
    0x81, 0x02,                    // one unnumbered input byte
};

// A long item (skipped whole) in the middle of a 4-byte input report.
const std::vector<std::uint8_t> LongItem = {
    0x75, 0x08, 0x95, 0x04, 0xFE, 0x03, 0x10, 0x81, 0x91, 0xB1, 0x81, 0x02,
};

class ReportDescriptorLengths : public testing::TestWithParam<TDescriptorCase> {};

TEST_P(ReportDescriptorLengths, GivesTheLargestReportsWithTheIdByteAndTheirNumbering) {
  const auto& Case = GetParam();
  TReportLengths Lengths;
  TReportNumbering Numbering{!Case.Numbered.Input, !Case.Numbered.Output, !Case.Numbered.Feature};
  std::string Error;
  ASSERT_TRUE(
      ParseReportDescriptor(Case.Bytes.data(), Case.Bytes.size(), Lengths, Numbering, Error))
      << Error;
  EXPECT_EQ(Lengths.Input, Case.Expected.Input);
  EXPECT_EQ(Lengths.Output, Case.Expected.Output);
  EXPECT_EQ(Lengths.Feature, Case.Expected.Feature);
  EXPECT_EQ(Numbering.Input, Case.Numbered.Input);
  EXPECT_EQ(Numbering.Output, Case.Numbered.Output);
  EXPECT_EQ(Numbering.Feature, Case.Numbered.Feature);
}

INSTANTIATE_TEST_SUITE_P(
    Captured, ReportDescriptorLengths,
    testing::Values(
        TDescriptorCase{"VendorDefined64", VendorDefined64, {65, 65, 0}, {false, false, false}},
        TDescriptorCase{
            "VendorDefined64WithId", VendorDefined64WithId, {65, 65, 0}, {true, true, false}},
        TDescriptorCase{"Keyboard", Keyboard, {9, 2, 0}, {false, false, false}},
        TDescriptorCase{"Mouse", Mouse, {4, 0, 0}, {false, false, false}},
        TDescriptorCase{"WithReportIds", WithReportIds, {8, 2, 0}, {true, true, false}},
        TDescriptorCase{
            "NumberedFeatureOnly", NumberedFeatureOnly, {3, 0, 3}, {false, false, true}},
        TDescriptorCase{"ReportIdPoppedAway", ReportIdPoppedAway, {2, 0, 0}, {false, false, false}},
        TDescriptorCase{"PushPop", PushPop, {3, 0, 0}, {false, false, false}},
        TDescriptorCase{"LongItem", LongItem, {5, 0, 0}, {false, false, false}},
        TDescriptorCase{"Empty", {}, {0, 0, 0}, {false, false, false}},
        TDescriptorCase{
            "Feature", {0x75, 0x08, 0x95, 0x07, 0xB1, 0x02}, {0, 0, 8}, {false, false, false}}),
    [](const auto& Info) { return Info.param.Name; });

struct TMalformedCase {
  std::string Name;
  std::vector<std::uint8_t> Bytes;
};

void PrintTo(const TMalformedCase& Case, std::ostream* Out) {
  *Out << Case.Name;
}

class MalformedReportDescriptor : public testing::TestWithParam<TMalformedCase> {};

TEST_P(MalformedReportDescriptor, IsRefusedWithoutLengths) {
  // Copied into a buffer of exactly its size, so that a read past the end
  // shows under the address sanitizer.
  const auto& Bytes = GetParam().Bytes;
  auto Exact = std::make_unique<std::uint8_t[]>(Bytes.size());
  std::copy(Bytes.begin(), Bytes.end(), Exact.get());
  TReportLengths Lengths{1, 2, 3};
  TReportNumbering Numbering{true, true, true};
  std::string Error;
  EXPECT_FALSE(ParseReportDescriptor(Exact.get(), Bytes.size(), Lengths, Numbering, Error));
  EXPECT_FALSE(Error.empty());
  EXPECT_EQ(Lengths.Input, 0);
  EXPECT_EQ(Lengths.Output, 0);
  EXPECT_EQ(Lengths.Feature, 0);
  EXPECT_FALSE(Numbering.Input || Numbering.Output || Numbering.Feature);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MalformedReportDescriptor,
    testing::Values(
        TMalformedCase{"OneByteDataMissing", {0x75, 0x08, 0x95}},
        TMalformedCase{"TwoByteDataCut", {0x75, 0x08, 0x96, 0x40}},
        TMalformedCase{"FourByteDataCut", {0x97, 0x01, 0x00, 0x00}},
        TMalformedCase{"LongItemHeaderCut", {0x75, 0x08, 0xFE, 0x02}},
        TMalformedCase{"LongItemDataCut", {0xFE, 0x10, 0x00, 0x01, 0x02}},
        TMalformedCase{"HugeCountAndSize",
                       {0x77, 0xFF, 0xFF, 0xFF, 0xFF, 0x97, 0xFF, 0xFF, 0xFF, 0xFF, 0x81, 0x02}},
        TMalformedCase{"ManyItemsAddingUp",
                       {0x76, 0x00, 0x01, 0x96, 0x00, 0x01, 0x81, 0x02, 0x81, 0x02, 0x81, 0x02,
                        0x81, 0x02, 0x81, 0x02, 0x81, 0x02, 0x81, 0x02, 0x81, 0x02, 0x81, 0x02}},
        TMalformedCase{"ReportIdZero", {0x85, 0x00, 0x75, 0x08, 0x95, 0x01, 0x81, 0x02}},
        TMalformedCase{"PopWithoutPush", {0x75, 0x08, 0xB4}}),
    [](const auto& Info) { return Info.param.Name; });

TEST(ReportDescriptor, LargestReportJustFitsAndOneBitMoreIsRefused) {
  // 65534 data bytes: 65535 with the id byte, the largest length there is.
  std::vector<std::uint8_t> Fits = {0x75, 0x08, 0x96, 0xFE, 0xFF, 0x81, 0x02};
  TReportLengths Lengths;
  std::string Error;
  ASSERT_TRUE(ParseReportDescriptor(Fits.data(), Fits.size(), Lengths, Error)) << Error;
  EXPECT_EQ(Lengths.Input, 65535);
  std::vector<std::uint8_t> TooLong = Fits;
  TooLong.insert(TooLong.end(), {0x75, 0x01, 0x95, 0x01, 0x81, 0x02});
  EXPECT_FALSE(ParseReportDescriptor(TooLong.data(), TooLong.size(), Lengths, Error));
}

}  // namespace
