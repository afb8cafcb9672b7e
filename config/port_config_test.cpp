#include "config/port_config.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ParsePortConfigTest, KeysValuesAndFallbacks) {
  struct Case {
    std::string text;
    uint16_t rtl, epp;
  } cases[] = {
      {"[TARNWICK]\r\nRTL8139ADDR=e800;\r\nEPPADDR=278;\r\n", 0xE800, 0x278},
      {"EPPADDR=0x278;RTL8139ADDR=E800;[TARNWICK]", 0xE800, 0x278},
      {"EPPADDR=378 ;", 0xC000, 0x3780},  // every character is a digit
      {"RTL8139ADDR=100001234;", 0x1234, 0x378},  // bits beyond 32 lost
      {"RTL8139ADDR=12345;EPPADDR=10000;", 0xC000, 0x378},
      {"RTL8139ADDR=d\r\n00;", 0xC000, 0x378},  // D0000 overflows
      {"XEPPADDR=3BC;", 0xC000, 0x3BC},             // inside a word
      {"eppaddr=3BC;", 0xC000, 0x378},              // case-sensitive
      {"RTL8139ADDR=;EPPADDR=3BC", 0xC000, 0x378},  // empty, no ';'
      {"EPPADDR=3BC;EPPADDR=278;", 0xC000, 0x3BC},  // first wins
      {"RTL8139ADDR=" + std::string(254, '0') + "e;", 0xE, 0x378},
      {"RTL8139ADDR=" + std::string(255, '0') + "e;", 0xC000, 0x378},
      {std::string("RTL8139ADDR=e800;\0EPPADDR=278;", 30), 0xE800, 0x378},
  };
  for (const Case& c : cases) {
    const BoardPorts ports = ParsePortConfig(c.text);
    EXPECT_EQ(c.rtl, ports.rtl_base) << c.text;
    EXPECT_EQ(c.epp, ports.epp_port) << c.text;
  }
}

}  // namespace
