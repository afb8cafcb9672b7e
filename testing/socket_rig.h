#ifndef TARNWICK_TESTING_SOCKET_RIG_H_
#define TARNWICK_TESTING_SOCKET_RIG_H_

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <map>
#include <string>

#include "base/virtual_clock.h"
#include "production/chip_socket.h"
#include "session/programmer_session.h"
#include "sim/sim_board.h"

// A virtual clock whose socket polls (sleeps of PollingSocket::kPollMs) give
// a test's operator its turn.
struct OperatorClock : VirtualClock {
  std::function<void()> at_poll;
  int polls = 0;
  void SleepMs(uint32_t ms) override {
    VirtualClock::SleepMs(ms);
    if (ms == PollingSocket::kPollMs && (++polls, at_poll)) at_poll();
  }
};

// A simulated board without a folder, whose socket a test fills and
// empties, and a session on it with port access open.
class SocketTest : public ::testing::Test {
 protected:
  SocketTest() {
    std::string why;
    session_.Open(&why);
  }
  // A chip answering with `signature` ("1E 51 FF"; empty: none), holding
  // `flash` unless empty, with `stuck` bits.
  void Put(const std::string& signature, const std::string& flash = "",
           const std::map<uint16_t, StuckBits>& stuck = {}) {
    BoardSettings settings;
    unsigned s[3] = {};
    settings.chip_present = std::sscanf(signature.c_str(), "%x %x %x", &s[0],
                                        &s[1], &s[2]) == 3;
    for (int n = 0; n < 3 && settings.chip_present; ++n)
      settings.signature[n] = static_cast<uint8_t>(s[n]);
    settings.stuck = stuck;
    board_.SetSettings(settings);
    if (!flash.empty())
      board_.SetFlash(std::vector<uint8_t>(flash.begin(), flash.end()));
  }
  std::string Flash() const {
    const std::vector<uint8_t> flash = board_.Flash();
    return std::string(flash.begin(), flash.end());
  }

  OperatorClock clock_;
  SimBoard board_{&clock_, BoardSettings()};
  ProgrammerSession session_{&board_, {BoardPorts(), &clock_}};
};

#endif  // TARNWICK_TESTING_SOCKET_RIG_H_
