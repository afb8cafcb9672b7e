#ifndef TARNWICK_LINK_SOCKET_PINS_H_
#define TARNWICK_LINK_SOCKET_PINS_H_

#include <string>

// Where the lines of the flash register reach the socket on the usual
// 89C51 parallel-programming wiring: A0-A7 on P1 (pins 1-8), A8-A13 on
// P2.0-P2.5 (pins 21-26), the two mode lines on P2.6 and P2.7 (pins 27
// and 28), D0-D7 on P0 (pins 39 down to 32). The control port's lines
// have no such table: boards differ.
struct SocketPin {
  std::string port;  // "P1.0"
  int pin = 0;       // 1
};

// Address line `line` of the flash register (0-13; 14 and 15 are the two
// mode lines).
SocketPin AddressLinePin(int line);

// Data line `bit` (0-7; flash register bit 24 + bit).
SocketPin DataLinePin(int bit);

// "P1.0, pin 1".
std::string DescribePin(const SocketPin& pin);

#endif  // TARNWICK_LINK_SOCKET_PINS_H_
