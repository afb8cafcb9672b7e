#include "production/batch_run.h"

#include <gtest/gtest.h>

#include <deque>
#include <sstream>
#include <string>
#include <vector>

#include "base/format.h"
#include "image/checksum.h"
#include "testing/board_rig.h"
#include "testing/faulty_record_files.h"
#include "testing/socket_rig.h"

namespace {

const std::string kBlank(4096, '\xFF');
const std::string kZeros(4096, '\0');

// What a chip holds once given Pattern(256) and `serial` at `at`.
std::string Written(const std::string& serial, uint32_t at) {
  return (Pattern(256) + kBlank.substr(256)).replace(at, serial.size(), serial);
}

// The operator of a run on a simulated board: puts the chips in one after
// the other, takes each out once its result is told, and asks the run to
// stop once none is left. Every event is kept.
class BatchRunTest : public SocketTest, public BatchEvents {
 protected:
  struct Chip {
    std::string signature = "1E 51 FF", flash = kBlank;
    int stuck = -1;  // an address whose bit 0 always reads 0
  };

  BatchSummary Go(std::deque<Chip> chips) {
    chips_ = chips;
    setup_.clock = &clock_;
    setup_.stop = [this] { return stop_; };
    setup_.time_text = [] { return std::string("T"); };
    setup_.journal = journal_.get();
    PutNext();
    return RunBatch(setup_, session_, socket_, *this);
  }
  void WithSerials(const SerialArea& area, uint64_t start, bool reuse = false) {
    setup_.serial = area;
    std::filesystem::remove(dir_ / "serial.txt");
    serials_.reset();
    serials_ = SerialAllocator::Open(
        {dir_ / "serial.txt", start, 1, LargestSerial(area), reuse}, &files_,
        &why_);
    setup_.serials = serials_.get();
  }
  void PutNext() {
    stop_ = chips_.empty();
    if (stop_) return;
    const Chip& c = chips_.front();
    std::map<uint16_t, StuckBits> stuck;
    if (c.stuck >= 0) stuck[static_cast<uint16_t>(c.stuck)].zeros = 1;
    Put(c.signature, c.flash, stuck);
    chips_.pop_front();
  }
  // The journal's lines after its header, split at their commas.
  std::vector<std::vector<std::string>> Journal() const {
    std::vector<std::vector<std::string>> lines;
    std::istringstream in(Slurp(dir_ / "journal.csv"));
    std::string line, field;
    std::getline(in, line);
    while (std::getline(in, line)) {
      std::istringstream fields(line.substr(0, line.size() - 1));  // CR
      lines.emplace_back();
      while (std::getline(fields, field, ',')) lines.back().push_back(field);
    }
    return lines;
  }

  void OnChipInserted(const ChipEvent& c) override {
    log_.push_back(Format("in %u", c.chip));
    steps_.clear();
  }
  void OnChipRemoved(const ChipEvent& c) override {
    log_.push_back(Format("out %u", c.chip));
    PutNext();
  }
  void OnProgress(const Progress& p) override {
    steps_.push_back(p);
    stop_ = stop_ || (log_.size() == stop_when_ && p.stage == Stage::kProgram &&
                     p.done >= 10);
  }
  void OnResult(const ChipResult& r) override {
    log_.push_back(Format("%u %s", r.chip, ChipVerdictWord(r.verdict)));
    results_.push_back(r);
    taken_.push_back(Flash());
    Put("");
  }
  void OnSummary(const BatchSummary&) override { log_.push_back("summary"); }

  std::filesystem::path dir_ = FreshDir();
  FaultyRecordFiles files_;
  std::string why_;
  std::unique_ptr<SerialAllocator> serials_;
  std::unique_ptr<::Journal> journal_ =
      Journal::Open(dir_ / "journal.csv", &files_, &why_);
  const std::string image_ = Pattern(256);
  BatchSetup setup_ = [this] {
    BatchSetup setup;
    setup.image.bytes.assign(image_.begin(), image_.end());
    return setup;
  }();
  std::deque<Chip> chips_;
  bool stop_ = false;
  size_t stop_when_ = 0;  // stop 10 bytes into programming at this log length
  PollingSocket socket_{&session_, &clock_, [this] { return stop_; }, this};
  std::vector<std::string> log_;
  std::vector<Progress> steps_;  // the current chip's
  std::vector<ChipResult> results_;
  std::vector<std::string> taken_;  // each chip as taken out
};

TEST_F(BatchRunTest, EachChipGetsItsSerialAndItsJournalLine) {
  WithSerials({0xFF0, 4, SerialFormat::kBcd}, 1000);
  const BatchSummary summary = Go({{}, {"1E 51 FF", kBlank, 5}, {"1E 51 FF", kZeros}});
  EXPECT_EQ((std::vector<std::string>{"in 1", "1 pass", "out 1", "in 2",
                                      "2 fail", "out 2", "in 3", "3 pass",
                                      "out 3", "summary"}),
            log_);
  ASSERT_EQ(3u, results_.size());
  EXPECT_EQ(Written(std::string("\0\0\x10\0", 4), 0xFF0), taken_[0]);
  EXPECT_EQ(Written(std::string("\0\0\x10\x02", 4), 0xFF0), taken_[2]);
  EXPECT_TRUE(results_[2].write.erased);
  const auto* chip = reinterpret_cast<const uint8_t*>(taken_[0].data());
  EXPECT_EQ(Crc32(chip, 4096), results_[0].sums->crc32);
  EXPECT_EQ(Sum16(chip, 4096), results_[0].sums->sum16);
  const auto lines = Journal();
  ASSERT_EQ(3u, lines.size());
  for (size_t n = 0; n < 3; ++n) {
    EXPECT_EQ(Format("%zu", 1000 + n), lines[n][5]);
    EXPECT_EQ(Crc32Text(results_[n].sums->crc32), lines[n][6]);
    EXPECT_EQ(n == 1 ? "fail" : "pass", lines[n][7]);
    EXPECT_EQ(n == 1 ? "1" : "0", lines[n][9]);
    EXPECT_EQ(n == 1 ? "0005" : "", lines[n][10]);
  }
  EXPECT_EQ(1u, results_[2].counts.failed);
  EXPECT_EQ(BatchEnd::kStopped, summary.end);
  EXPECT_DOUBLE_EQ(2.0 / 3, summary.yield);
  EXPECT_GT(summary.chips_per_hour, 0);
  EXPECT_EQ(uint64_t{1003}, summary.next_serial.value_or(0));
  // At most one step per 1 % of each of the four stages, and the last.
  EXPECT_LE(steps_.size(), 404u);
  EXPECT_EQ(steps_.back().total, steps_.back().done);
}

// A chip of another part is journaled and left alone; the run's part is
// the first chip's, whatever its programming voltage.
TEST_F(BatchRunTest, WrongPartIsLeftAloneAndCountEndsTheRun) {
  setup_.count = 2;
  const BatchSummary summary =
      Go({{}, {"1E 52 FF", Pattern(4096)}, {"1E 51 05"}});
  EXPECT_EQ((std::vector<std::string>{"in 1", "1 pass", "out 1", "in 2",
                                      "2 wrong-part", "out 2", "in 3",
                                      "3 pass", "summary"}),
            log_);
  EXPECT_EQ(Pattern(4096), taken_[1]);
  EXPECT_EQ((std::vector<std::string>{"T", "", "2", "1E 52 FF", "89C52", "",
                                      "", "wrong-part", "0", "0", "",
                                      "0.000"}),
            Journal()[1]);
  EXPECT_EQ(BatchEnd::kCounted, summary.end);
  EXPECT_EQ(1u, summary.counts.wrong_part);
}

// A failed chip's number goes to the next with reuse; a stop mid-chip ends
// the run at once, the chip journaled as stopped.
TEST_F(BatchRunTest, ReuseAndStopMidChip) {
  WithSerials({0x200, 2, SerialFormat::kLittleEndian}, 7, true);
  stop_when_ = 4;  // in 1, 1 fail, out 1, in 2
  const BatchSummary summary = Go({{"1E 51 FF", kBlank, 5}, {}});
  EXPECT_EQ((std::vector<std::string>{"in 1", "1 fail", "out 1", "in 2",
                                      "2 stopped", "summary"}),
            log_);
  EXPECT_GT(results_[1].write.not_reached, 0u);
  const auto lines = Journal();
  ASSERT_EQ(2u, lines.size());
  EXPECT_EQ("7", lines[1][5]);
  EXPECT_EQ("stopped", lines[1][7]);
  EXPECT_EQ(BatchEnd::kStopped, summary.end);
  EXPECT_EQ(uint64_t{8}, summary.next_serial.value_or(0));
}

// Whatever cannot be recorded, or cannot go into the chip, ends the run
// before a chip is touched: the chip in the socket keeps its bytes.
TEST_F(BatchRunTest, RunEndsBeforeAChipItCannotRecord) {
  const struct Case {
    SerialArea area;
    uint64_t start;
    int replaces, appends;  // how many succeed (negative: all)
    size_t results;
    BatchEnd end;
    const char* why;
  } cases[] = {
      {{0xFF0, 2, SerialFormat::kBcd}, 1, 1, -1, 1, BatchEnd::kNotRecorded,
       "cannot write the serial file"},
      {{0xFF0, 2, SerialFormat::kBcd}, 1, -1, 0, 1, BatchEnd::kNotRecorded,
       "chip 1 has no journal line"},
      {{0xFF0, 1, SerialFormat::kBcd}, 98, -1, -1, 2,
       BatchEnd::kSerialsUsedUp, "have run out"},
      {{0x1FF0, 1, SerialFormat::kLittleEndian}, 1, -1, -1, 0,
       BatchEnd::kRefused, "outside the 4096-byte part"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    WithSerials(c.area, c.start);
    ASSERT_TRUE(CheckBatch(setup_, &why_)) << why_;
    files_.replaces_left = c.replaces;
    files_.appends_left = c.appends;
    results_.clear();
    log_.clear();
    std::deque<Chip> chips(3);
    chips[c.results].flash = kZeros;
    const BatchSummary summary = Go(chips);
    EXPECT_EQ(c.results, results_.size());
    EXPECT_EQ(c.end, summary.end);
    EXPECT_NE(std::string::npos, summary.why.find(c.why)) << summary.why;
    // After a journal line failed, chip 2 was never put in.
    EXPECT_TRUE(c.appends == 0 ? chips_.size() == 2 : Flash() == kZeros);
  }
  setup_.serials = nullptr;
  EXPECT_FALSE(CheckBatch(setup_, &why_));
}

}  // namespace
