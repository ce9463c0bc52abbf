// Where Steam's library on Linux and macOS looks for the callback base's
// virtual members (Itanium virtual tables).
#ifndef DRAV_TESTS_STEAM_LAYOUT_EXPECT_POSIX_H_
#define DRAV_TESTS_STEAM_LAYOUT_EXPECT_POSIX_H_

// Virtual members are called with the object as a plain first argument.
#define DRAV_SLOT_CALL

namespace expect {
const int kSlotRunRecord = 0, kSlotRunCall = 1, kSlotSize = 2;
}  // namespace expect

#endif  // DRAV_TESTS_STEAM_LAYOUT_EXPECT_POSIX_H_
