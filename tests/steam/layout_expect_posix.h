// Where Steam's library puts things on Linux and macOS (records packed to
// 4 bytes, Itanium virtual tables).
#ifndef DRAV_TESTS_STEAM_LAYOUT_EXPECT_POSIX_H_
#define DRAV_TESTS_STEAM_LAYOUT_EXPECT_POSIX_H_

#include <stddef.h>

// Virtual members are called with the object as a plain first argument.
#define DRAV_SLOT_CALL

namespace expect {

// The sizes the library gives the bindings' records.
const size_t kCreateItemSize = 16, kDownloadSize = 16;
// The virtual slots of CCallbackBase.
const int kSlotRunRecord = 0, kSlotRunCall = 1, kSlotSize = 2;

}  // namespace expect

#endif  // DRAV_TESTS_STEAM_LAYOUT_EXPECT_POSIX_H_
