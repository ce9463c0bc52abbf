// The binding templates as the Steam library drives them: it calls the
// callback base's virtual members by their position in the table. The
// records' own layouts are checked where they are compiled.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "steam/recording_backend.h"
#include "steam/steam_callback.h"

namespace {

// Steam's library on Windows is built with MSVC, whose table holds the two
// Run overloads in reverse order; 32-bit Windows passes the object in ECX.
#ifdef _WIN32
const int kSlotRunRecord = 1, kSlotRunCall = 0;
#else
const int kSlotRunRecord = 0, kSlotRunCall = 1;
#endif
const int kSlotSize = 2;
#if defined(_WIN32) && defined(__i386__)
#define DRAV_SLOT_CALL __attribute__((thiscall))
#else
#define DRAV_SLOT_CALL
#endif

typedef std::vector<std::string> cCalls;
typedef void (*tAnySlot)();
typedef void(DRAV_SLOT_CALL* tRunRecordSlot)(void* self, void* record);
typedef void(DRAV_SLOT_CALL* tRunCallSlot)(void* self, void* record, bool ioFailure, uint64_t);
typedef int(DRAV_SLOT_CALL* tSizeSlot)(void* self);

/// The virtual table as the library sees it: an array of code addresses.
template <typename F>
F slot(CCallbackBase* object, int index) {
  return reinterpret_cast<F>((*reinterpret_cast<tAnySlot* const*>(object))[index]);
}
void runRecord(CCallbackBase* object, void* record) {
  slot<tRunRecordSlot>(object, kSlotRunRecord)(object, record);
}
void runCall(CCallbackBase* object, void* record, bool ioFailure, uint64_t call) {
  slot<tRunCallSlot>(object, kSlotRunCall)(object, record, ioFailure, call);
}
size_t sizeOf(CCallbackBase* object) {
  return slot<tSizeSlot>(object, kSlotSize)(object);
}

class cOwner {
 public:
  void onCreateItemResult(CreateItemResult_t* result, bool ioFailure) {
    answers.push_back({result, ioFailure});
    if (rebindTo)
      call->Set(rebindTo, this, &cOwner::onCreateItemResult);
  }
  void onDownloadItemResult(DownloadItemResult_t* result) { downloads.push_back(result); }

  std::vector<std::pair<CreateItemResult_t*, bool>> answers;
  std::vector<DownloadItemResult_t*> downloads;
  SteamAPICall_t rebindTo = 0;
  CCallResult<cOwner, CreateItemResult_t>* call = nullptr;
};

class BindingTest : public ::testing::Test {
 protected:
  BindingTest() : scope_(&backend_) {}

  cRecordingBackend backend_;
  cScopedBackend scope_;
  cOwner owner_;
};

// A call result keeps one pending call: setting another drops it, and so
// does its end. The library unregisters a call before it answers it
// through either slot, and the member may bind the next call.
TEST_F(BindingTest, CallResultAnswersOnlyItsPendingCall) {
  CreateItemResult_t created = {};
  {
    CCallResult<cOwner, CreateItemResult_t> call;
    EXPECT_EQ(sizeof(CreateItemResult_t), sizeOf(&call));
    call.Set(7, &owner_, &cOwner::onCreateItemResult);
    call.Set(9, &owner_, &cOwner::onCreateItemResult);
    call.Set(0, &owner_, &cOwner::onCreateItemResult);  // only drops the pending call
    EXPECT_FALSE(call.IsActive());
    call.Set(7, &owner_, &cOwner::onCreateItemResult);
    runCall(&call, &created, false, 8);  // another call's answer
    runCall(&call, &created, true, 7);
    call.Set(7, &owner_, &cOwner::onCreateItemResult);
    runRecord(&call, &created);
    call.Set(7, &owner_, &cOwner::onCreateItemResult);
    owner_.call = &call;
    owner_.rebindTo = 11;
    runCall(&call, &created, false, 7);
    EXPECT_TRUE(call.IsActive());
  }
  const std::vector<std::pair<CreateItemResult_t*, bool>> answers = {
      {&created, true}, {&created, false}, {&created, false}};
  EXPECT_EQ(answers, owner_.answers);
  EXPECT_EQ(cCalls({"register call 7", "unregister call 7", "register call 9",
                    "unregister call 9", "register call 7", "register call 7", "register call 7",
                    "register call 11", "unregister call 11"}),
            backend_.calls);
}

TEST_F(BindingTest, CallbackRegistersAtConstructionAndUnregistersOnce) {
  {
    CCallback<cOwner, DownloadItemResult_t, false> downloads(&owner_,
                                                             &cOwner::onDownloadItemResult);
    CCallback<cOwner, DownloadItemResult_t, true> withoutObject(nullptr, nullptr);
    EXPECT_EQ(CCallbackBase::k_ECallbackFlagsGameServer, withoutObject.m_nCallbackFlags);
    EXPECT_EQ(CCallbackBase::k_ECallbackFlagsRegistered, downloads.m_nCallbackFlags);
    EXPECT_EQ(sizeof(DownloadItemResult_t), sizeOf(&downloads));
    DownloadItemResult_t result = {};
    runRecord(&downloads, &result);
    runCall(&downloads, &result, true, 99);
    EXPECT_EQ(std::vector<DownloadItemResult_t*>({&result, &result}), owner_.downloads);
    downloads.Unregister();
  }
  EXPECT_EQ(cCalls({"register 3406", "unregister"}), backend_.calls);
}

}  // namespace
