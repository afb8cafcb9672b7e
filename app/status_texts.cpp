#include "app/status_texts.h"

#include <utility>

void StatusTexts::Put(StatusLabel label, const std::string& text) {
  std::lock_guard<std::mutex> lock(m_lock);
  (label == StatusLabel::kRead ? m_waiting.read : m_waiting.write) = text;
}

StatusTexts::Taken StatusTexts::Take() {
  std::lock_guard<std::mutex> lock(m_lock);
  Taken taken = std::move(m_waiting);
  m_waiting = Taken();
  return taken;
}
