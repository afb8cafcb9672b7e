#include "link/tracing_clock.h"

#include "base/format.h"

void TracingClock::SleepMs(uint32_t ms) {
  trace_->AddAt(inner_->NowUs(), Format("sleep %u", static_cast<unsigned>(ms)));
  inner_->SleepMs(ms);
}
