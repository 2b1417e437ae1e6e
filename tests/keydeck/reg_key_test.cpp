#include "keydeck/shell/reg_key.h"

#include <gtest/gtest.h>

#include "tests/keydeck/fake_registry.h"

namespace kd {
namespace {

constexpr const char* kKey = "SOFTWARE\\Test";

class RegKeyTest : public ::testing::Test {
 protected:
  test::FakeRegistry reg_;
  void SetUp() override { reg_.AddKey(kKey); }
};

TEST_F(RegKeyTest, OpenReportsStatusAndKeepsThePath) {
  RegKey key(reg_, HKeyRoot::LocalMachine, kKeyRead);
  EXPECT_FALSE(key.Open("SOFTWARE\\Missing"));
  EXPECT_EQ(kErrFileNotFound, key.Status());
  EXPECT_FALSE(key.IsOpen());
  EXPECT_TRUE(key.Open(kKey));
  EXPECT_EQ(kErrSuccess, key.Status());
  EXPECT_EQ(kKey, key.Path());
  EXPECT_EQ(std::vector<uint32_t>({kKeyRead, kKeyRead}), reg_.OpenAccessLog());
}

TEST_F(RegKeyTest, LeadingBackslashOpensTheSameKey) {
  // The fake refuses such paths with 161 as the NT family does.
  RegKey key(reg_);
  EXPECT_TRUE(key.Open("\\SOFTWARE\\Test\\")) << "status " << key.Status();
}

TEST_F(RegKeyTest, CloseAndDestructionReleaseTheHandle) {
  {
    RegKey key(reg_);
    ASSERT_TRUE(key.Open(kKey));
    EXPECT_EQ(1, reg_.OpenHandles());
    key.Close();
    EXPECT_EQ(0, reg_.OpenHandles());
    ASSERT_TRUE(key.Open(kKey));
    ASSERT_TRUE(key.Open(kKey));  // reopening closes the first handle
    EXPECT_EQ(1, reg_.OpenHandles());
  }
  EXPECT_EQ(0, reg_.OpenHandles());
}

TEST_F(RegKeyTest, NumbersReadOnlyFromFourByteValues) {
  reg_.SetDword(kKey, "Dword", 0x12345678);
  reg_.SetBinary(kKey, "Bin4", {1, 2, 3, 4});
  reg_.SetBinary(kKey, "Bin2", {1, 2});
  reg_.SetText(kKey, "Text", "12");  // 3 bytes: fits a 4-byte buffer
  RegKey key(reg_);
  ASSERT_TRUE(key.Open(kKey));
  EXPECT_EQ(0x12345678u, key.ReadNumber("Dword"));
  EXPECT_EQ(kErrSuccess, key.Status());
  EXPECT_EQ(0x04030201u, key.ReadNumber("Bin4"));
  EXPECT_EQ(0u, key.ReadNumber("Bin2"));
  EXPECT_EQ(kErrInvalidData, key.Status());
  EXPECT_EQ(0u, key.ReadNumber("Text"));
  EXPECT_EQ(kErrInvalidData, key.Status());
  EXPECT_EQ(0u, key.ReadNumber("Missing"));
  EXPECT_EQ(kErrFileNotFound, key.Status());
}

TEST_F(RegKeyTest, TextsFitTheBufferOrReadEmpty) {
  reg_.SetText(kKey, "", "model");
  reg_.SetText(kKey, "Max", std::string(259, 'a'));
  reg_.SetText(kKey, "TooLong", std::string(260, 'b'));
  reg_.SetTextWithoutTerminator(kKey, "Bare", "abc");
  reg_.SetDword(kKey, "Number", 7);
  RegKey key(reg_);
  ASSERT_TRUE(key.Open(kKey));
  EXPECT_EQ("model", key.ReadText(nullptr));
  EXPECT_EQ("model", key.ReadText(""));
  EXPECT_EQ(std::string(259, 'a'), key.ReadText("Max"));
  EXPECT_EQ("", key.ReadText("TooLong"));
  EXPECT_EQ(kErrMoreData, key.Status());
  EXPECT_EQ("abc", key.ReadText("Bare"));
  EXPECT_EQ("", key.ReadText("Number"));
  EXPECT_EQ(kErrInvalidData, key.Status());
}

TEST_F(RegKeyTest, ReadsOnAClosedKeyFailCleanly) {
  RegKey key(reg_);
  EXPECT_EQ(0u, key.ReadNumber("x"));
  EXPECT_EQ(kErrInvalidHandle, key.Status());
  EXPECT_EQ("", key.ReadText("x"));
  EXPECT_FALSE(key.WriteText("x", "y"));
  EXPECT_EQ(0, reg_.Writes());
}

TEST_F(RegKeyTest, ReadBytesStopsAtTheCallersSize) {
  reg_.SetBinary(kKey, "Codes", std::vector<uint8_t>(40, 0x32));
  RegKey key(reg_);
  ASSERT_TRUE(key.Open(kKey));
  uint8_t buf[34 + 4];
  std::fill(std::begin(buf), std::end(buf), 0xEE);
  uint32_t size = 34;
  EXPECT_EQ(kErrMoreData, key.ReadBytes("Codes", buf, &size));
  EXPECT_EQ(40u, size);
  EXPECT_EQ(0xEE, buf[34]);
  uint32_t type = 0;
  EXPECT_EQ(kErrSuccess, key.ValueInfo("Codes", &type, &size));
  EXPECT_EQ(kRegBinary, type);
  EXPECT_EQ(40u, size);
}

TEST_F(RegKeyTest, WritesStoreTerminatedTextAndDwords) {
  RegKey key(reg_);
  ASSERT_TRUE(key.Open(kKey));
  EXPECT_TRUE(key.WriteText("Font", "Arial"));
  EXPECT_TRUE(key.WriteNumber("FontSize", 0xFFFFFFF0u));
  const test::FakeValue* font = reg_.Value(kKey, "Font");
  ASSERT_NE(nullptr, font);
  EXPECT_EQ(kRegSz, font->Type);
  EXPECT_EQ(6u, font->Data.size());
  EXPECT_EQ(0, font->Data.back());
  EXPECT_EQ(0xFFFFFFF0u, reg_.Dword(kKey, "FontSize"));
}

TEST_F(RegKeyTest, WritesThroughAReadOnlyKeyAreRefused) {
  RegKey key(reg_, HKeyRoot::LocalMachine, kKeyRead);
  ASSERT_TRUE(key.Open(kKey));
  EXPECT_FALSE(key.WriteNumber("x", 1));
  EXPECT_EQ(kErrAccessDenied, key.Status());
}

TEST(RowKeyName, SixteenUpperCaseHexDigits) {
  EXPECT_EQ("0000000000000000", RowKeyName(0));
  EXPECT_EQ("0000000000000001", RowKeyName(1));
  EXPECT_EQ("000000000000000A", RowKeyName(10));
  EXPECT_EQ("000000000000001D", RowKeyName(29));
}

}  // namespace
}  // namespace kd
