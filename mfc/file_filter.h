#ifndef TARNWICK_MFC_FILE_FILTER_H_
#define TARNWICK_MFC_FILE_FILTER_H_

#include <string>

// A file dialog's filter written the MFC way, "description|pattern" pairs
// separated by "|" ("二进制文件(*.bin)|*.bin"), in the form the common
// dialogs take: every "|" becomes a NUL and the result ends in two NULs.
// The text is GBK: a "|" byte that is the second byte of a double-byte
// character is part of that character and stays. An empty filter gives an
// empty result, meaning no filter.
std::string FilterToNulForm(const std::string& filter);

#endif  // TARNWICK_MFC_FILE_FILTER_H_
