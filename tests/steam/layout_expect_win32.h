// Where Steam's library (built with MSVC) puts things on Windows: records
// packed to 8 bytes, the two Run overloads in reverse order.
#ifndef DRAV_TESTS_STEAM_LAYOUT_EXPECT_WIN32_H_
#define DRAV_TESTS_STEAM_LAYOUT_EXPECT_WIN32_H_

#include <stddef.h>

// 32-bit Windows passes the object of a virtual call in ECX.
#if defined(__i386__)
#define DRAV_SLOT_CALL __attribute__((thiscall))
#else
#define DRAV_SLOT_CALL
#endif

namespace expect {

const size_t kCreateItemSize = 24, kCreateItemId = 8, kCreateItemLegal = 16;
const size_t kDeleteSize = 16, kDeleteId = 8;
const size_t kDownloadSize = 24, kDownloadId = 8, kDownloadResult = 16;
const size_t kParamArraySize = 2 * sizeof(void*);
const size_t kDetailsSize = 9784, kDetailsOwner = 8160, kDetailsCreated = 8168,
             kDetailsTags = 8187, kDetailsFile = 9216, kDetailsTotalSize = 9776;
// The virtual slots of CCallbackBase.
const int kSlotRunRecord = 1, kSlotRunCall = 0, kSlotSize = 2;

}  // namespace expect

#endif  // DRAV_TESTS_STEAM_LAYOUT_EXPECT_WIN32_H_
