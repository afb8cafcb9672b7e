#ifndef TARNWICK_PRODUCTION_BATCH_RUN_H_
#define TARNWICK_PRODUCTION_BATCH_RUN_H_

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "base/clock.h"
#include "chip/parts.h"
#include "chip/write_image.h"
#include "image/chip_image.h"
#include "production/batch_events.h"
#include "production/chip_socket.h"
#include "production/journal.h"
#include "production/serial_allocator.h"
#include "production/serial_number.h"
#include "session/programmer_session.h"

// One board's production run: what it writes and where it keeps records.
// The serial allocator and the journal may be shared by the runs of several
// boards, each on its own thread with its own session and socket.
struct BatchSetup {
  std::string board;  // its name in the journal; empty for a run's only one
  // The image as loaded for the largest part, or for `part` when named;
  // fitted to the run's part (image/chip_image.h) when it is settled.
  ChipImage image;
  // The run's part when named; null: the first chip's. A chip of another
  // part (by name, so either programming voltage) is not touched.
  const Part* part = nullptr;
  WriteOptions write;  // as `write` does: differential, or kNoErase
  // With serial numbers: where they go, and where they come from.
  std::optional<SerialArea> serial;
  SerialAllocator* serials = nullptr;
  Journal* journal = nullptr;  // none: no journal
  uint32_t count = 0;          // end after this many passing chips; 0: never
  Clock* clock = nullptr;      // the session's
  std::function<bool()> stop;  // true ends the run (mid-chip: at an address)
  // The journal's times; the local time unless a test says otherwise.
  std::function<std::string()> time_text = LocalTimeText;
};

// The refusals before any chip is touched: a serial area without an
// allocator, outside the part (the named one, else the largest), or holding
// image data. False with *why in English.
bool CheckBatch(const BatchSetup& setup, std::string* why);

// Runs the board's chips one after the other until the count is reached,
// a stop is asked, the operator ends, or something fails: waits for a chip
// in `socket`; a chip of another part than the run's is journaled as
// wrong-part and not touched; otherwise it takes the chip's serial number
// (the serial file advanced first), puts it into the image, writes it as
// `write` does (reading the chip first unless kNoErase) and verifies it,
// journals it, tells its result, and waits for the socket to be empty. A
// serial number that cannot be recorded ends the run before its chip is
// touched; a journal line that cannot be written ends it before the next
// chip. `session`, `socket` and `events` are the board's own; the setup's
// allocator and journal may be shared.
BatchSummary RunBatch(const BatchSetup& setup, ProgrammerSession& session,
                      ChipSocket& socket, BatchEvents& events);

#endif  // TARNWICK_PRODUCTION_BATCH_RUN_H_
