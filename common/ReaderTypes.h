// The words the whole program shares about readers and results: what a port slot holds, what
// an operation returns, how many ports there are. Nothing else, so that the pure parts (the
// merge) include only this.
#pragma once

namespace lesamo {

enum ReaderKind { readerNone = 0, readerKrm = 1, readerKavirex3 = 2 };
enum ResultCode { resultFailed = -1, resultNone = 0, resultOk = 1 };

constexpr int kPortCount = 4;

}  // namespace lesamo
