#include "cli/run_report.h"

RunReport::RunReport(CliEnv& env, bool json)
    : out_(env.out), err_(env.err), terminal_(env.err_is_terminal) {
  if (json) own_events_ = std::make_unique<EventStream>(*env.out, env.clock);
  events_ = own_events_.get();
}

RunReport::RunReport(RunReport& run, std::string board, BoardLines* lines,
                     size_t index)
    : run_(&run),
      board_(std::move(board)),
      out_(lines != nullptr ? &lines->Out(index) : run.out_),
      err_(lines != nullptr ? &lines->Err(index) : run.err_),
      status_(lines != nullptr ? lines->Status(index) : nullptr),
      lines_(lines),
      terminal_(lines != nullptr ? status_ != nullptr : run.terminal_),
      events_(run.events_) {}

void RunReport::Bell() {
  if (lines_ != nullptr)
    lines_->Bell();
  else
    *err_ << '\a' << std::flush;
}

void RunReport::WriteStart() {
  std::lock_guard<std::mutex> hold(start_mutex_);
  if (started_) return;
  started_ = true;
  events_->Write("start", start_);
}

void RunReport::Event(const char* name, const EventFields& fields,
                      const std::string& board) {
  if (!json()) return;
  if (run_ != nullptr) return run_->Event(name, fields, board_);
  WriteStart();
  events_->Write(name, fields, board);
}

int RunReport::Error(int exit, const char* code, const std::string& what) {
  *err_ << "tarnwick: " << what << "\n" << std::flush;
  Event("error", {{"text", what}, {"exit", exit}, {"code", code}});
  return exit;
}

void RunReport::Warning(const char* code, const std::string& what) {
  *err_ << "tarnwick: warning: " << what << "\n" << std::flush;
  Event("warning", {{"text", what}, {"code", code}});
}

void RunReport::Finish(int exit) {
  EventFields fields = {{"exit", exit}};
  for (const auto& member : summary_.items())
    fields[member.key()] = member.value();
  Event("summary", fields);
}
