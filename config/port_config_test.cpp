#include "config/port_config.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "link/recording_port.h"

namespace {

TEST(ParsePortConfigTest, KeysValuesAndFallbacks) {
  struct Case {
    std::string text;
    uint16_t rtl, epp;
  } cases[] = {
      {"[TARNWICK]\r\nRTL8139ADDR=e800;\r\nEPPADDR=278;\r\n", 0xE800, 0x278},
      {"EPPADDR=0x278;RTL8139ADDR=E800;[TARNWICK]", 0xE800, 0x278},
      {"EPPADDR=378 ;", 0xC000, 0x3780},  // every character is a digit
      {"RTL8139ADDR=zz;EPPADDR=fFaA;", 0x0000, 0xFFAA},
      {"RTL8139ADDR=100001234;", 0x1234, 0x378},  // bits beyond 32 lost
      {"RTL8139ADDR=12345;EPPADDR=10000;", 0xC000, 0x378},
      {"RTL8139ADDR=d\r\n00;", 0xC000, 0x378},  // D0000 overflows
      {"RTL8139ADDR=d\r\n;", 0xD00, 0x378},
      {"XEPPADDR=3BC;", 0xC000, 0x3BC},             // inside a word
      {"eppaddr=3BC;", 0xC000, 0x378},              // case-sensitive
      {"RTL8139ADDR=;EPPADDR=3BC", 0xC000, 0x378},  // empty, no ';'
      {"", 0xC000, 0x378},
      {"EPPADDR=3BC;EPPADDR=278;", 0xC000, 0x3BC},  // first wins
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

TEST(LoadPortConfigTest, ReadsTheFileOrTellsItIsMissing) {
  const std::string dir = ::testing::TempDir();
  RecordingPort port;
  ProgrammerLink link(&port, &port);
  std::vector<FilePath> missing;
  auto load = [&] {
    LoadPortConfig(&link, dir, [&](const FilePath& m) { missing.push_back(m); });
  };
  std::remove((dir + "start.ini").c_str());
  load();
  EXPECT_EQ(std::vector<FilePath>{FilePath(dir) / "start.ini"}, missing);
  // "不能被打开" in GBK, shown straight after the path.
  EXPECT_STREQ("\xB2\xBB\xC4\xDC\xB1\xBB\xB4\xF2\xBF\xAA", kCannotBeOpened);
  EXPECT_EQ(0xC000, link.m_rtlBase);
  EXPECT_EQ(0x378, link.m_eppPort);
  EXPECT_EQ(kNoFile, link.m_hIniFile);

  std::ofstream(dir + "start.ini") << "[TARNWICK]\nRTL8139ADDR=e800;\n"
                                      "EPPADDR=278;\n";
  load();
  std::remove((dir + "start.ini").c_str());
  EXPECT_EQ(1u, missing.size());
  EXPECT_EQ(0xE800, link.m_rtlBase);
  EXPECT_EQ(0x278, link.m_eppPort);
  EXPECT_EQ(kNoFile, link.m_hIniFile);
  EXPECT_EQ("", port.log) << "reading the file touches no port";
}

}  // namespace
