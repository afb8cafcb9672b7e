#include "production/chip_socket.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testing/socket_rig.h"

namespace {

class ChipSocketTest : public SocketTest, public BatchEvents {
 protected:
  // The socket holds sockets[n] at poll n (the last one from then on).
  void Script(const std::vector<std::string>& sockets) {
    Put(sockets[0]);
    clock_.polls = 0;
    warnings_.clear();
    clock_.at_poll = [this, sockets] {
      Put(sockets[std::min<size_t>(clock_.polls, sockets.size() - 1)]);
    };
  }
  void OnWarning(const std::string& code, const std::string&) override {
    warnings_.push_back(code);
  }

  std::vector<std::string> warnings_;
  bool stop_ = false;
  PollingSocket socket_{&session_, &clock_, [this] { return stop_; }, this};
  SocketChip chip_;
};

// A chip counts once a known part gives the same signature on two polls in
// a row; one naming no part is warned of once and never counts.
TEST_F(ChipSocketTest, ChipSettlesOnTwoEqualPollsOfAKnownPart) {
  const struct {
    std::vector<std::string> sockets;
    int polls;  // sleeps before the chip counts
    std::vector<std::string> warnings;
  } cases[] = {
      {{"", "1E 51 FF", "", "1E 51 FF", "1E 51 FF"}, 4, {}},
      {{"1E 51 FF", "1E 52 05", "1E 52 05"}, 2, {}},
      {{"1E 99 FF", "1E 99 FF", "1E 99 FF", "00 00 00", "00 00 00",
        "1E 51 05"},
       6, {"unknown-part"}},
  };
  for (const auto& c : cases) {
    Script(c.sockets);
    ASSERT_EQ(SocketWait::kDone, socket_.WaitForChip(&chip_));
    EXPECT_EQ(c.polls, clock_.polls) << c.sockets[0];
    EXPECT_EQ(c.sockets.back(), SignatureText(chip_.signature));
    EXPECT_EQ(PartBySignature(chip_.signature), chip_.part);
    EXPECT_EQ(c.warnings, warnings_);
  }
}

TEST_F(ChipSocketTest, EmptyOnTwoPollsWithoutAChipAndStopsWhenAsked) {
  Script({"1E 51 FF", "", "1E 51 FF", "", ""});
  EXPECT_EQ(SocketWait::kDone, socket_.WaitForEmpty());
  EXPECT_EQ(4, clock_.polls);
  Script({""});
  clock_.at_poll = [this] { stop_ = clock_.polls == 3; };
  EXPECT_EQ(SocketWait::kStopped, socket_.WaitForChip(&chip_));
  EXPECT_EQ(3, clock_.polls);
}

// A prompted socket reads the signature once told, and never polls.
TEST_F(ChipSocketTest, PromptedSocketWaitsForTheOperator) {
  const std::vector<std::string> told = {"", "1E 99 FF", "1E 51 FF"};
  size_t prompts = 0;
  PromptedSocket prompted(
      &session_,
      [&] { return prompts < told.size() && (Put(told[prompts++]), true); },
      [] { return false; }, this);
  ASSERT_EQ(SocketWait::kDone, prompted.WaitForChip(&chip_));
  EXPECT_STREQ("89C51", chip_.part->name);
  EXPECT_EQ((std::vector<std::string>{"no-chip", "unknown-part"}), warnings_);
  EXPECT_EQ(SocketWait::kNotSeen, prompted.WaitForEmpty());
  EXPECT_EQ(SocketWait::kOperatorEnded, prompted.WaitForChip(&chip_));
  EXPECT_EQ(0, clock_.polls);
}

}  // namespace
