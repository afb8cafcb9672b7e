#include "link/shared_port.h"

#include <gtest/gtest.h>

#include <thread>

#include "testing/recording_port.h"

namespace {

// A backend that counts its opens and closes, and is not thread-safe.
struct Backend : RecordingPort {
  int opens = 1, closes = 0;  // made open
  bool Open() override { return ++opens, true; }
  void Close() override { ++closes; }
};

TEST(SharedPortTest, EachBoardReachesItsOwnPortsThroughOneBackend) {
  Backend* backend = nullptr;
  int made = 0;
  SharedPort shared([&](std::string* note) {
    ++made;
    *note = "the library";
    auto port = std::make_unique<Backend>();
    backend = port.get();
    return port;
  });
  std::string note;
  auto a = shared.ForBoard({0xC000, 0x378}, &note);
  EXPECT_EQ("the library", note);
  auto b = shared.ForBoard({0xE000, 0x278}, &note);
  ASSERT_EQ(1, made);
  EXPECT_FALSE(a->Write8(0x378, 1)) << "not open yet";
  ASSERT_TRUE(a->Open() && b->Open());
  EXPECT_EQ(1, backend->opens) << "the backend came open";
  // Each board on a thread of its own, trying the other's ports too.
  const auto drive = [](PortIo* port, uint16_t mine, uint16_t card,
                        uint16_t other) {
    uint8_t value = 0;
    for (int n = 0; n < 2000; ++n) {
      EXPECT_TRUE(port->Write8(mine, 3));
      EXPECT_TRUE(port->Write32(card + 0xD4, 0xFF000000));
      EXPECT_TRUE(port->Read8(card + 0xD7, &value));
      EXPECT_FALSE(port->Write8(other, 3));
      EXPECT_FALSE(port->Write32(card + 0xD5, 0));  // runs past the card's
      EXPECT_FALSE(port->Read8(other, &value));
      EXPECT_EQ(0xFF, value);
    }
  };
  std::thread left(drive, a.get(), 0x378, 0xC000, 0x278);
  std::thread right(drive, b.get(), 0x278, 0xE000, 0x378);
  left.join();
  right.join();
  EXPECT_EQ(2000, backend->Count("378<-3"));
  EXPECT_EQ(2000, backend->Count("278<-3"));
  EXPECT_EQ(2000, backend->Count("C0D4<-FF000000:4"));
  EXPECT_EQ(2000, backend->Count("E0D7->"));
  EXPECT_EQ(12000, backend->Count(" ") + 1) << "nothing else reached it";
  // Closed by the last board to close, opened again by the next Open.
  a->Close();
  EXPECT_EQ(0, backend->closes);
  b.reset();
  EXPECT_EQ(1, backend->closes);
  EXPECT_TRUE(a->Open());
  EXPECT_EQ(2, backend->opens);
}

TEST(SharedPortTest, ABackendThatCannotBeMadeIsTriedAgain) {
  int tries = 0;
  SharedPort shared([&](std::string* note) -> std::unique_ptr<PortIo> {
    *note = "no library";
    return ++tries == 1 ? nullptr : std::make_unique<Backend>();
  });
  std::string note;
  EXPECT_EQ(nullptr, shared.ForBoard({}, &note));
  EXPECT_EQ("no library", note);
  EXPECT_NE(nullptr, shared.ForBoard({}, &note));
}

}  // namespace
