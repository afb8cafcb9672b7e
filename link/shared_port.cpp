#include "link/shared_port.h"

class SharedPort::View : public PortIo {
 public:
  View(SharedPort* shared, const BoardPorts& ports)
      : shared_(shared), ports_(ports) {}
  ~View() override { Close(); }

  bool Open() override {
    std::lock_guard<std::mutex> hold(shared_->mutex_);
    if (open_) return true;
    if (!shared_->backend_open_)
      shared_->backend_open_ = shared_->backend_->Open();
    if (!shared_->backend_open_) return false;
    ++shared_->users_;
    open_ = true;
    return true;
  }
  void Close() override {
    std::lock_guard<std::mutex> hold(shared_->mutex_);
    if (!open_) return;
    open_ = false;
    if (--shared_->users_ == 0) {
      shared_->backend_->Close();
      shared_->backend_open_ = false;
    }
  }
  std::string WhyRefused() const override {
    std::lock_guard<std::mutex> hold(shared_->mutex_);
    return shared_->backend_->WhyRefused();
  }
  bool Write8(uint16_t port, uint8_t value) override {
    if (!ports_.Holds(port, 1)) return false;
    std::lock_guard<std::mutex> hold(shared_->mutex_);
    return open_ && shared_->backend_->Write8(port, value);
  }
  bool Write32(uint16_t port, uint32_t value) override {
    if (!ports_.Holds(port, 4)) return false;
    std::lock_guard<std::mutex> hold(shared_->mutex_);
    return open_ && shared_->backend_->Write32(port, value);
  }
  bool Read8(uint16_t port, uint8_t* value) override {
    *value = 0xFF;
    if (!ports_.Holds(port, 1)) return false;
    std::lock_guard<std::mutex> hold(shared_->mutex_);
    return open_ && shared_->backend_->Read8(port, value);
  }

 private:
  SharedPort* const shared_;
  const BoardPorts ports_;
  bool open_ = false;  // guarded by the shared mutex
};

SharedPort::~SharedPort() {
  if (backend_ != nullptr && backend_open_) backend_->Close();
}

std::unique_ptr<PortIo> SharedPort::ForBoard(const BoardPorts& ports,
                                             std::string* note) {
  std::lock_guard<std::mutex> hold(mutex_);
  if (backend_ == nullptr) {
    backend_ = open_(note);
    if (backend_ == nullptr) return nullptr;
    backend_open_ = true;
  }
  return std::make_unique<View>(this, ports);
}
