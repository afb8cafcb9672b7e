#include "link/socket_pins.h"

#include "base/format.h"

SocketPin AddressLinePin(int line) {
  if (line < 8) return {Format("P1.%d", line), 1 + line};
  return {Format("P2.%d", line - 8), 21 + line - 8};
}

SocketPin DataLinePin(int bit) { return {Format("P0.%d", bit), 39 - bit}; }

std::string DescribePin(const SocketPin& pin) {
  return Format("%s, pin %d", pin.port.c_str(), pin.pin);
}
