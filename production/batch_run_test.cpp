#include "production/batch_run.h"

#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "base/format.h"
#include "image/checksum.h"
#include "testing/board_rig.h"
#include "testing/faulty_record_files.h"
#include "testing/files.h"
#include "testing/socket_rig.h"

namespace {

namespace fs = std::filesystem;

const std::string kBlank(4096, '\xFF');

// A HEX file's image for the largest part, giving its first `given` bytes.
ChipImage Image(uint32_t given = 0x100) {
  ChipImage image;
  image.whole_chip = true;
  image.bytes.assign(LargestPartSize(), 0xFF);
  image.line_of.assign(LargestPartSize(), 0);
  const std::string pattern = Pattern(given);
  for (uint32_t a = 0; a < given; ++a) {
    image.bytes[a] = static_cast<uint8_t>(pattern[a]);
    image.line_of[a] = 1 + static_cast<int>(a / 16);
  }
  return image;
}

// What a 4 KB chip holds once given Image(given) and `serial` at `at`.
std::string Written(const std::string& serial, uint32_t at,
                    uint32_t given = 0x100) {
  std::string chip = Pattern(given) + std::string(4096 - given, '\xFF');
  return chip.replace(at, serial.size(), serial);
}

// The journal's lines after its header, each split at its commas.
std::vector<std::vector<std::string>> JournalLines(const fs::path& path) {
  std::vector<std::vector<std::string>> lines;
  std::istringstream in(Slurp(path));
  std::string line;
  std::getline(in, line);  // the header
  while (std::getline(in, line)) {
    std::vector<std::string> fields(1);
    for (char c : line) {
      if (c == ',') fields.emplace_back();
      else if (c != '\r') fields.back() += c;
    }
    lines.push_back(fields);
  }
  return lines;
}

// The operator of a run on a simulated board: puts the chips in one after
// the other, takes each out once its result is told, and asks the run to
// stop once none is left. Every event is kept.
class BatchRunTest : public SocketTest, public BatchEvents {
 protected:
  struct Chip {
    std::string signature = "1E 51 FF";
    std::string flash = kBlank;
    std::map<uint16_t, StuckBits> stuck;
  };

  BatchSummary Go() {
    setup_.clock = &clock_;
    setup_.stop = [this] { return stop_; };
    setup_.time_text = [] { return std::string("T"); };
    setup_.serials = serials_.get();
    setup_.journal = journal_.get();
    std::string why;
    EXPECT_TRUE(CheckBatch(setup_, &why)) << why;
    PutNext();
    return RunBatch(setup_, session_, socket_, *this);
  }
  void WithSerials(const SerialArea& area, uint64_t start, bool reuse = false) {
    setup_.serial = area;
    std::string why;
    serials_ = SerialAllocator::Open(
        {dir_ / "serial.txt", start, 1, LargestSerial(area), reuse}, &files_,
        &why);
    ASSERT_NE(nullptr, serials_) << why;
  }
  void PutNext() {
    if (chips_.empty()) {
      stop_ = true;
      return;
    }
    Put(chips_.front().signature, chips_.front().flash, chips_.front().stuck);
    chips_.pop_front();
  }

  void OnChipInserted(const ChipEvent& c) override {
    log_.push_back(Format("in %u", c.chip));
    steps_.clear();
    chip_ = c.chip;
  }
  void OnChipRemoved(const ChipEvent& c) override {
    log_.push_back(Format("out %u", c.chip));
    PutNext();
  }
  void OnProgress(const Progress& p) override {
    steps_.push_back(p);
    if (chip_ == stop_chip_ && p.stage == Stage::kProgram && p.done >= 10)
      stop_ = true;
  }
  void OnResult(const ChipResult& r) override {
    log_.push_back(Format("%u %s", r.chip, ChipVerdictWord(r.verdict)));
    results_.push_back(r);
    taken_.push_back(Flash());
    Put("");
  }
  void OnSummary(const BatchSummary&) override { log_.push_back("summary"); }

  fs::path dir_ = FreshDir();
  FaultyRecordFiles files_;
  std::unique_ptr<SerialAllocator> serials_;
  std::string journal_why_;
  std::unique_ptr<Journal> journal_ =
      Journal::Open(dir_ / "journal.csv", &files_, &journal_why_);
  BatchSetup setup_ = [] {
    BatchSetup setup;
    setup.image = Image();
    return setup;
  }();
  std::deque<Chip> chips_;
  bool stop_ = false;
  uint32_t chip_ = 0;       // the chip in the socket
  uint32_t stop_chip_ = 0;  // stop once 10 bytes of this chip are programmed
  PollingSocket socket_{&session_, &clock_, [this] { return stop_; }, this};
  std::vector<std::string> log_;
  std::vector<Progress> steps_;  // the current chip's
  std::vector<ChipResult> results_;
  std::vector<std::string> taken_;  // each chip as taken out
};

TEST_F(BatchRunTest, EachChipGetsItsSerialAndItsJournalLine) {
  WithSerials({0xFF0, 4, SerialFormat::kBcd}, 1000);
  chips_ = {Chip(), Chip(), Chip()};
  chips_[1].stuck[5].zeros = 0x01;             // 0x41 there reads 0x40
  chips_[2].flash = std::string(4096, '\0');  // to be erased first
  const BatchSummary summary = Go();

  EXPECT_EQ((std::vector<std::string>{"in 1", "1 pass", "out 1", "in 2",
                                      "2 fail", "out 2", "in 3", "3 pass",
                                      "out 3", "summary"}),
            log_);
  ASSERT_EQ(3u, results_.size());
  EXPECT_EQ(Written(std::string("\0\0\x10\0", 4), 0xFF0), taken_[0]);
  EXPECT_EQ(Written(std::string("\0\0\x10\x02", 4), 0xFF0), taken_[2]);
  EXPECT_TRUE(results_[2].write.erased);
  ASSERT_EQ(1u, results_[1].write.failures.size());
  EXPECT_EQ(5u, results_[1].write.failures[0].address);
  const auto lines = JournalLines(dir_ / "journal.csv");
  ASSERT_EQ(3u, lines.size());
  for (size_t n = 0; n < 3; ++n) {
    const ChipResult& r = results_[n];
    EXPECT_EQ(Format("%zu", 1000 + n), lines[n][5]);
    EXPECT_EQ(uint64_t{1000 + n}, r.serial.value_or(0));
    EXPECT_EQ(Crc32Text(r.sums->crc32), lines[n][6]);
    EXPECT_EQ(ChipVerdictWord(r.verdict), lines[n][7]);
    EXPECT_EQ(n == 1 ? "1" : "0", lines[n][9]);
    EXPECT_EQ(n == 1 ? "0005" : "", lines[n][10]);
  }
  const auto* chip = reinterpret_cast<const uint8_t*>(taken_[0].data());
  EXPECT_EQ(Crc32(chip, 4096), results_[0].sums->crc32);
  EXPECT_EQ(Sum16(chip, 4096), results_[0].sums->sum16);
  EXPECT_EQ(2u, results_[2].counts.passed);
  EXPECT_EQ(1u, results_[2].counts.failed);
  EXPECT_EQ(BatchEnd::kStopped, summary.end);
  EXPECT_DOUBLE_EQ(2.0 / 3, summary.yield);
  EXPECT_GT(summary.chips_per_hour, 0);
  EXPECT_EQ(uint64_t{1003}, summary.next_serial.value_or(0));

  // The last chip's progress: at most one step per 1 % of each stage, and
  // each stage's last step.
  std::map<Stage, int> steps;
  std::map<Stage, bool> ended;
  for (const Progress& p : steps_) {
    ++steps[p.stage];
    ended[p.stage] = p.done == p.total;
  }
  for (Stage stage : {Stage::kRead, Stage::kErase, Stage::kProgram,
                      Stage::kVerify}) {
    EXPECT_LE(steps[stage], 100) << static_cast<int>(stage);
    EXPECT_TRUE(ended[stage]) << static_cast<int>(stage);
  }
}

// A chip of another part is journaled and left alone; the run's part is
// the first chip's, whatever its programming voltage.
TEST_F(BatchRunTest, WrongPartIsLeftAloneAndCountEndsTheRun) {
  setup_.count = 2;
  chips_ = {Chip(), Chip(), Chip()};
  chips_[1].signature = "1E 52 FF";
  chips_[1].flash = Pattern(4096);
  chips_[2].signature = "1E 51 05";
  const BatchSummary summary = Go();
  EXPECT_EQ((std::vector<std::string>{"in 1", "1 pass", "out 1", "in 2",
                                      "2 wrong-part", "out 2", "in 3",
                                      "3 pass", "summary"}),
            log_);
  EXPECT_EQ(Pattern(4096), taken_[1]);
  EXPECT_FALSE(results_[1].sums);
  const auto lines = JournalLines(dir_ / "journal.csv");
  ASSERT_EQ(3u, lines.size());
  EXPECT_EQ((std::vector<std::string>{"T", "", "2", "1E 52 FF", "89C52", "",
                                      "", "wrong-part", "0", "0", "",
                                      lines[1][11]}),
            lines[1]);
  EXPECT_EQ(BatchEnd::kCounted, summary.end);
  EXPECT_EQ(1u, summary.counts.wrong_part);
  EXPECT_FALSE(summary.next_serial);
}

// A failed chip's number goes to the next with reuse; a stop mid-chip ends
// the run at once, the chip journaled as stopped.
TEST_F(BatchRunTest, ReuseAndStopMidChip) {
  WithSerials({0x200, 2, SerialFormat::kLittleEndian}, 7, true);
  chips_ = {Chip(), Chip()};
  chips_[0].stuck[5].zeros = 0x01;
  stop_chip_ = 2;
  const BatchSummary summary = Go();
  EXPECT_EQ((std::vector<std::string>{"in 1", "1 fail", "out 1", "in 2",
                                      "2 stopped", "summary"}),
            log_);
  EXPECT_EQ(uint64_t{7}, results_[1].serial.value_or(0));
  EXPECT_GT(results_[1].write.not_reached, 0u);
  const auto lines = JournalLines(dir_ / "journal.csv");
  ASSERT_EQ(2u, lines.size());
  EXPECT_EQ("7", lines[1][5]);
  EXPECT_EQ("stopped", lines[1][7]);
  EXPECT_EQ(BatchEnd::kStopped, summary.end);
  EXPECT_EQ(1u, summary.counts.stopped);
  EXPECT_EQ(uint64_t{8}, summary.next_serial.value_or(0));
}

// Whatever cannot be recorded, or cannot go into the chip, ends the run
// before a chip is touched: the chip in the socket keeps its bytes.
TEST_F(BatchRunTest, RunEndsBeforeAChipItCannotRecord) {
  const struct Case {
    const char* name;
    SerialArea area;
    uint64_t start;
    int replaces, appends;  // how many succeed (negative: all)
    size_t results;
    BatchEnd end;
    const char* why;
  } cases[] = {
      {"serial file full", {0xFF0, 2, SerialFormat::kBcd}, 1, 1, -1, 1,
       BatchEnd::kNotRecorded, "cannot write the serial file"},
      {"journal full", {0xFF0, 2, SerialFormat::kBcd}, 1, -1, 0, 1,
       BatchEnd::kNotRecorded, "chip 1 has no journal line"},
      {"range ends", {0xFF0, 1, SerialFormat::kBcd}, 98, -1, -1, 2,
       BatchEnd::kSerialsUsedUp, "have run out"},
      {"area beyond the first chip", {0x1FF0, 1, SerialFormat::kLittleEndian},
       1, -1, -1, 0, BatchEnd::kRefused, "outside the 4096-byte part"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove(dir_ / "serial.txt");
    serials_.reset();
    WithSerials(c.area, c.start);
    files_.replaces_left = c.replaces;
    files_.appends_left = c.appends;
    results_.clear();
    log_.clear();
    stop_ = false;
    chips_ = {Chip(), Chip(), Chip()};
    chips_[c.results].flash = std::string(4096, '\0');
    const BatchSummary summary = Go();
    EXPECT_EQ(c.results, results_.size());
    EXPECT_EQ(c.end, summary.end);
    EXPECT_NE(std::string::npos, summary.why.find(c.why)) << summary.why;
    if (c.appends == 0) {
      EXPECT_EQ("summary", log_.back());  // chip 2 never went in
      EXPECT_EQ(std::string::npos, log_[log_.size() - 2].find("out"));
    } else {
      EXPECT_EQ(std::string(4096, '\0'), Flash());
    }
  }
}

TEST_F(BatchRunTest, RefusalsBeforeAnyChip) {
  std::string why;
  setup_.serial = SerialArea{0x10, 2, SerialFormat::kBcd};
  EXPECT_FALSE(CheckBatch(setup_, &why));
  EXPECT_EQ("serial numbers need a serial file", why);
  WithSerials({0xFFF, 2, SerialFormat::kBcd}, 1);
  setup_.serials = serials_.get();
  setup_.part = PartByName("89c51");
  EXPECT_FALSE(CheckBatch(setup_, &why));
  EXPECT_NE(std::string::npos, why.find("outside the 4096-byte part")) << why;
  setup_.serial->address = 0xFE;
  EXPECT_FALSE(CheckBatch(setup_, &why));
  EXPECT_NE(std::string::npos, why.find("has data in the serial area")) << why;
}

// On the simulated board's folder, chip files go in and out as a test's
// operator moves them; a chip is saved once its write ends, so it can be
// taken out as soon as its result is told.
TEST(BatchRunFilesTest, ChipFilesGoInAndOut) {
  const fs::path dir = FreshDir();
  const fs::path socket_file = dir / "board" / "simchip.bin";
  Spill(dir / "chip-2.bin", std::string(kBlank).replace(5, 1, 1, '\0'));
  Spill(socket_file, kBlank);
  VirtualClock clock;
  std::string why;
  auto session = ProgrammerSession::Simulated(dir / "board",
                                              {{}, &clock, {}, true}, &why);
  ASSERT_NE(nullptr, session) << why;
  ASSERT_TRUE(session->Open(&why));
  auto serials = SerialAllocator::Open({dir / "serial.txt", 1, 1, 255},
                                       RealRecordFiles(), &why);
  auto journal = Journal::Open(dir / "j.csv", RealRecordFiles(), &why);

  struct Operator : BatchEvents {
    fs::path dir, socket_file;
    int inserted = 0;
    bool done = false;
    void OnResult(const ChipResult& r) override {
      fs::rename(socket_file, dir / Format("out-%u.bin", r.chip));
    }
    void OnChipRemoved(const ChipEvent&) override {
      done = !fs::exists(dir / "chip-2.bin");
      if (!done) fs::rename(dir / "chip-2.bin", socket_file);
    }
  } op;
  op.dir = dir;
  op.socket_file = socket_file;
  BatchSetup setup;
  setup.board = "bench 1";
  setup.image = Image(16);
  setup.write.mode = WriteMode::kNoErase;
  setup.serial = SerialArea{0x20, 1, SerialFormat::kLittleEndian};
  setup.serials = serials.get();
  setup.journal = journal.get();
  setup.clock = &clock;
  setup.stop = [&op] { return op.done; };
  PollingSocket socket(session.get(), &clock, setup.stop, &op);
  const BatchSummary summary = RunBatch(setup, *session, socket, op);

  EXPECT_EQ(1u, summary.counts.passed);
  EXPECT_EQ(1u, summary.counts.failed);  // 00 cannot be programmed to FF
  EXPECT_EQ(Written("\x01", 0x20, 16), Slurp(dir / "out-1.bin"));
  EXPECT_EQ('\x02', Slurp(dir / "out-2.bin")[0x20]);
  EXPECT_FALSE(fs::exists(socket_file));
  EXPECT_EQ("3\n", Slurp(dir / "serial.txt"));
  const auto lines = JournalLines(dir / "j.csv");
  ASSERT_EQ(2u, lines.size());
  EXPECT_EQ("bench 1", lines[1][1]);
  EXPECT_EQ("fail", lines[1][7]);
}

}  // namespace
