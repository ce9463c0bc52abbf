// Where Steam's library puts things on Linux and macOS (records packed to
// 4 bytes, Itanium virtual tables).
#ifndef DRAV_TESTS_STEAM_LAYOUT_EXPECT_POSIX_H_
#define DRAV_TESTS_STEAM_LAYOUT_EXPECT_POSIX_H_

#include <stddef.h>

// Virtual members are called with the object as a plain first argument.
#define DRAV_SLOT_CALL

namespace expect {

const size_t kCreateItemSize = 16, kCreateItemId = 4, kCreateItemLegal = 12;
const size_t kDeleteSize = 12, kDeleteId = 4;
const size_t kDownloadSize = 16, kDownloadId = 4, kDownloadResult = 12;
const size_t kParamArraySize = sizeof(void*) + 4;
const size_t kDetailsSize = 9772, kDetailsOwner = 8156, kDetailsCreated = 8164,
             kDetailsTags = 8183, kDetailsFile = 9208, kDetailsTotalSize = 9764;
// The virtual slots of CCallbackBase.
const int kSlotRunRecord = 0, kSlotRunCall = 1, kSlotSize = 2;

}  // namespace expect

#endif  // DRAV_TESTS_STEAM_LAYOUT_EXPECT_POSIX_H_
