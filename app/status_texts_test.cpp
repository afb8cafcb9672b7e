#include "app/status_texts.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

namespace {

TEST(StatusTextsTest, TakesTheLatestTextOfEachLabelOnce) {
  StatusTexts texts;
  texts.Put(StatusLabel::kWrite, "ADDR=0,DATA=1");
  texts.Put(StatusLabel::kRead, "ADDR=0,\tDATA=7");
  texts.Put(StatusLabel::kWrite, "ADDR=1,DATA=2");
  StatusTexts::Taken taken = texts.Take();
  EXPECT_EQ(taken.read, "ADDR=0,\tDATA=7");
  EXPECT_EQ(taken.write, "ADDR=1,DATA=2");
  // Taken texts are gone: a label without a new text is left alone.
  texts.Put(StatusLabel::kRead, "ADDR=FFF,\tDATA=EA");
  taken = texts.Take();
  EXPECT_EQ(taken.read, "ADDR=FFF,\tDATA=EA");
  EXPECT_FALSE(taken.write.has_value());
}

// A worker putting texts as fast as it can while the UI thread takes them
// whenever it likes: every text taken is whole, the label never goes back
// to an older text, and a take after the worker's end gets its last text.
TEST(StatusTextsTest, ConcurrentTakesSeeWholeTextsInOrderAndTheLast) {
  constexpr int kTexts = 20000;
  const std::string padding(40, 'x');  // long enough to need the heap
  StatusTexts texts;
  std::atomic<bool> done{false};
  int shown = -1;
  bool in_order = true;
  auto show = [&](const StatusTexts::Taken& taken) {
    if (!taken.write) return;
    EXPECT_EQ(padding, taken.write->substr(0, padding.size()));
    const int n = std::stoi(taken.write->substr(padding.size()));
    in_order = in_order && n > shown;
    shown = n;
  };
  std::thread ui([&] {
    while (!done.load()) show(texts.Take());
  });
  for (int n = 0; n < kTexts; ++n)
    texts.Put(StatusLabel::kWrite, padding + std::to_string(n));
  done.store(true);
  ui.join();
  show(texts.Take());
  EXPECT_EQ(shown, kTexts - 1);
  EXPECT_TRUE(in_order);
}

}  // namespace
