#include "config/boards_file.h"

#include <gtest/gtest.h>

namespace {

std::vector<NamedBoard> Parse(const std::string& text) {
  std::vector<NamedBoard> boards;
  std::string error;
  EXPECT_TRUE(ParseBoardsFile(text, "/etc/tarnwick", &boards, &error))
      << error;
  return boards;
}

TEST(BoardsFile, ReadsRealAndSimulatedBoards) {
  const std::vector<NamedBoard> boards = Parse(
      "# two boards\r\n"
      "[left]\n  rtl-base = c000 \n epp-port=0x378\n\n"
      "; a comment\n[trial.2]\nsim = boards/../trial\n"
      "[abs]\nsim=/srv/b\n");
  ASSERT_EQ(boards.size(), 3u);
  EXPECT_EQ(boards[0].name, "left");
  EXPECT_FALSE(boards[0].simulated);
  EXPECT_EQ(boards[0].ports.rtl_base, 0xC000);
  EXPECT_EQ(boards[0].ports.epp_port, 0x378);
  EXPECT_EQ(boards[0].line, 2);
  EXPECT_TRUE(boards[1].simulated);
  EXPECT_EQ(boards[1].sim_dir, FilePath("/etc/tarnwick/trial"));
  EXPECT_EQ(boards[2].sim_dir, FilePath("/srv/b"));
  EXPECT_TRUE(Parse("").empty());
}

TEST(BoardsFile, RefusesWithTheLine) {
  const struct {
    const char* text;
    const char* error;
  } cases[] = {
      {"rtl-base = C000\n", "line 1: a key before the first [board]"},
      {"[a]\nrtl-base = C000\n", "line 1: board a: needs both rtl-base and epp-port"},
      {"[a]\n", "line 1: board a: needs rtl-base and epp-port, or sim"},
      {"[a]\nsim = x\nrtl-base = 1\nepp-port = 2\n",
       "line 1: board a: give either sim or rtl-base and epp-port, not both"},
      {"[a]\nsim = x\n[a]\nsim = y\n", "line 3: board a is named twice (first on line 1)"},
      {"[all]\n", "line 1: \"all\" is not a board name"},
      {"[a b]\n", "line 1: \"a b\" is not a board name"},
      {"[a\n", "line 1: a section line ends with ']'"},
      {"[a]\nport = 1\n", "line 2: unknown key \"port\""},
      {"[a]\nsim = x\nsim = y\n", "line 3: sim given twice for board a"},
      {"[a]\nrtl-base = 10000\n", "line 2: rtl-base: expected a hexadecimal port address up to FFFF"},
      {"[a]\nepp-port =\n", "line 2: epp-port: the value is empty"},
      {"[a]\njust words\n", "line 2: expected [name] or key = value"},
      {"[a]\nrtl-base=C000\nepp-port=378\n[b]\nrtl-base=c000\nepp-port=278\n",
       "line 4: boards a and b share the network card at C000"},
      {"[a]\nrtl-base=C000\nepp-port=378\n[b]\nrtl-base=E000\nepp-port=378\n",
       "line 4: boards a and b share the parallel port at 378"},
      {"[a]\nsim=x\n[b]\nsim=./x\n",
       "line 3: boards a and b share the simulated board's folder"},
  };
  for (const auto& c : cases) {
    std::vector<NamedBoard> boards;
    std::string error;
    EXPECT_FALSE(ParseBoardsFile(c.text, "/d", &boards, &error)) << c.text;
    EXPECT_EQ(error.rfind(c.error, 0), 0u) << c.text << " gave: " << error;
    EXPECT_TRUE(boards.empty());
  }
}

TEST(BoardsFile, SelectsByNameOrAll) {
  const std::vector<NamedBoard> boards =
      Parse("[a]\nsim=a\n[b]\nsim=b\n[c]\nsim=c\n");
  std::vector<NamedBoard> chosen;
  std::string error;
  ASSERT_TRUE(SelectBoards(boards, {"c", "a", "c"}, &chosen, &error));
  ASSERT_EQ(chosen.size(), 2u);
  EXPECT_EQ(chosen[0].name, "c");
  EXPECT_EQ(chosen[1].name, "a");
  ASSERT_TRUE(SelectBoards(boards, {"b", "all"}, &chosen, &error));
  ASSERT_EQ(chosen.size(), 3u);
  EXPECT_EQ(chosen[0].name, "b");
  EXPECT_EQ(chosen[2].name, "c");
  EXPECT_FALSE(SelectBoards(boards, {"a", "z"}, &chosen, &error));
  EXPECT_EQ(error, "no board named \"z\" in the boards file");
  EXPECT_FALSE(SelectBoards({}, {"all"}, &chosen, &error));
}

TEST(BoardsFile, LooksInXdgThenHomeThenEtc) {
  EXPECT_EQ(BoardsFileCandidates("/x", "/home/u"),
            (std::vector<FilePath>{"/x/tarnwick/boards.ini",
                                   "/etc/tarnwick/boards.ini"}));
  EXPECT_EQ(BoardsFileCandidates("", "/home/u"),
            (std::vector<FilePath>{"/home/u/.config/tarnwick/boards.ini",
                                   "/etc/tarnwick/boards.ini"}));
  EXPECT_EQ(BoardsFileCandidates(nullptr, nullptr),
            (std::vector<FilePath>{"/etc/tarnwick/boards.ini"}));
}

}  // namespace
