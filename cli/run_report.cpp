#include "cli/run_report.h"

RunReport::RunReport(CliEnv& env, bool json) : env_(env) {
  if (json) events_ = std::make_unique<EventStream>(*env.out, env.clock);
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
  WriteStart();
  events_->Write(name, fields, board);
}

int RunReport::Error(int exit, const char* code, const std::string& what) {
  *env_.err << "tarnwick: " << what << "\n" << std::flush;
  Event("error", {{"text", what}, {"exit", exit}, {"code", code}});
  return exit;
}

void RunReport::Warning(const char* code, const std::string& what) {
  *env_.err << "tarnwick: warning: " << what << "\n" << std::flush;
  Event("warning", {{"text", what}, {"code", code}});
}

void RunReport::Finish(int exit) {
  EventFields fields = {{"exit", exit}};
  for (const auto& member : summary_.items())
    fields[member.key()] = member.value();
  Event("summary", fields);
}
