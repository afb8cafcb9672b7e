#include "config/port_config.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "link/recording_port.h"

namespace {

TEST(ParseHexValueTest, EveryCharacterIsOneDigit) {
  struct Case {
    const char* text;
    uint32_t value;
  } cases[] = {
      {"c000", 0xC000},     {"E800", 0xE800},       {"e800", 0xE800},
      {"0x278", 0x278},     {"378 ", 0x3780},       {"", 0},
      {"zz", 0},            {"12345", 0x12345},     {"fFaA09", 0xFFAA09},
      {"378\r\n", 0x37800}, {"123456789", 0x23456789},  // bits beyond 32 lost
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.value, ParseHexValue(c.text)) << '"' << c.text << '"';
}

TEST(ParsePortConfigTest, KeysAndFallbacks) {
  struct Case {
    std::string text;
    uint16_t rtl, epp;
  } cases[] = {
      {"[TARNWICK]\r\nRTL8139ADDR=e800;\r\nEPPADDR=278;\r\n", 0xE800, 0x278},
      {"EPPADDR=0x278;RTL8139ADDR=E800;[TARNWICK]", 0xE800, 0x278},
      {"EPPADDR=378 ;", 0xC000, 0x3780},
      {"RTL8139ADDR=12345;EPPADDR=10000;", 0xC000, 0x378},
      {"RTL8139ADDR=d\r\n00;", 0xC000, 0x378},  // D0000 overflows
      {"RTL8139ADDR=d\r\n;", 0xD00, 0x378},
      {"XEPPADDR=3BC;", 0xC000, 0x3BC},                   // inside a word
      {"eppaddr=3BC;", 0xC000, 0x378},                    // case-sensitive
      {"RTL8139ADDR=;EPPADDR=3BC", 0xC000, 0x378},        // empty, no ';'
      {"", 0xC000, 0x378},
      {"EPPADDR=3BC;EPPADDR=278;", 0xC000, 0x3BC},        // first wins
      {"RTL8139ADDR=" + std::string(254, '0') + "e;", 0xE, 0x378},
      {"RTL8139ADDR=" + std::string(255, '0') + "e;", 0xC000, 0x378},
      {std::string("RTL8139ADDR=e800;\0EPPADDR=278;", 30), 0xE800, 0x378},
  };
  for (const Case& c : cases) {
    uint16_t rtl = 1, epp = 2;
    ParsePortConfig(c.text, &rtl, &epp);
    EXPECT_EQ(c.rtl, rtl) << c.text;
    EXPECT_EQ(c.epp, epp) << c.text;
  }
}

class LoadPortConfigTest : public ::testing::Test {
 protected:
  void WriteIni(const std::string& text) {
    FILE* f = std::fopen((dir_ + "start.ini").c_str(), "wb");
    ASSERT_NE(nullptr, f);
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
  }
  void TearDown() override { std::remove((dir_ + "start.ini").c_str()); }

  void Load() {
    LoadPortConfig(&link_, dir_, [this](const std::string& m) {
      messages_.push_back(m);
    });
  }

  std::string dir_ = ::testing::TempDir();
  RecordingPort port_;
  ProgrammerLink link_{&port_, &port_};
  std::vector<std::string> messages_;
};

TEST_F(LoadPortConfigTest, ReadsBothAddressesAndClosesTheFile) {
  WriteIni("[TARNWICK]\nRTL8139ADDR=e800;\nEPPADDR=278;\n");
  Load();
  EXPECT_TRUE(messages_.empty());
  EXPECT_EQ(0xE800, link_.m_rtlBase);
  EXPECT_EQ(0x278, link_.m_eppPort);
  EXPECT_EQ(kNoFile, link_.m_hIniFile);
  EXPECT_TRUE(port_.events.empty()) << "reading the file touches no port";
}

TEST_F(LoadPortConfigTest, MissingFileShowsPathAndKeepsDefaults) {
  Load();
  // "不能被打开" in GBK, straight after the path.
  const std::string expected =
      dir_ + "start.ini\xB2\xBB\xC4\xDC\xB1\xBB\xB4\xF2\xBF\xAA";
  ASSERT_EQ(std::vector<std::string>{expected}, messages_);
  EXPECT_EQ(0xC000, link_.m_rtlBase);
  EXPECT_EQ(0x378, link_.m_eppPort);
  EXPECT_EQ(kNoFile, link_.m_hIniFile);
}

}  // namespace
