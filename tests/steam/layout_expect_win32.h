// Where Steam's library on Windows (built with MSVC) looks for the callback
// base's virtual members: the two Run overloads in reverse order.
#ifndef DRAV_TESTS_STEAM_LAYOUT_EXPECT_WIN32_H_
#define DRAV_TESTS_STEAM_LAYOUT_EXPECT_WIN32_H_

// 32-bit Windows passes the object of a virtual call in ECX.
#if defined(__i386__)
#define DRAV_SLOT_CALL __attribute__((thiscall))
#else
#define DRAV_SLOT_CALL
#endif

namespace expect {
const int kSlotRunRecord = 1, kSlotRunCall = 0, kSlotSize = 2;
}  // namespace expect

#endif  // DRAV_TESTS_STEAM_LAYOUT_EXPECT_WIN32_H_
