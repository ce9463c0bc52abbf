// The binding templates as the Steam library drives them: it calls the
// callback base's virtual members by their position in the table, which
// differs between platforms (DRAV_LAYOUT_EXPECT_HEADER). The records' own
// layouts are checked where they are compiled.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include DRAV_LAYOUT_EXPECT_HEADER
#include "steam/recording_backend.h"
#include "steam/steam_callback.h"

namespace {

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
  slot<tRunRecordSlot>(object, expect::kSlotRunRecord)(object, record);
}
void runCall(CCallbackBase* object, void* record, bool ioFailure, uint64_t call) {
  slot<tRunCallSlot>(object, expect::kSlotRunCall)(object, record, ioFailure, call);
}
size_t sizeOf(CCallbackBase* object) {
  return slot<tSizeSlot>(object, expect::kSlotSize)(object);
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
  CreateItemResult_t created_ = {};
};

TEST_F(BindingTest, CallResultAnswersOnlyItsOwnCallThroughEitherSlot) {
  {
    CCallResult<cOwner, CreateItemResult_t> call;
    EXPECT_EQ(sizeof(CreateItemResult_t), sizeOf(&call));
    call.Set(7, &owner_, &cOwner::onCreateItemResult);
    runCall(&call, &created_, false, 8);
    EXPECT_TRUE(owner_.answers.empty());
    EXPECT_TRUE(call.IsActive());
    runCall(&call, &created_, true, 7);
    EXPECT_FALSE(call.IsActive());
    call.Set(7, &owner_, &cOwner::onCreateItemResult);
    runRecord(&call, &created_);
    EXPECT_FALSE(call.IsActive());
  }
  const std::vector<std::pair<CreateItemResult_t*, bool>> answers = {{&created_, true},
                                                                     {&created_, false}};
  EXPECT_EQ(answers, owner_.answers);
  // The library unregisters a call before it answers it.
  EXPECT_EQ(cCalls({"register call 7", "register call 7"}), backend_.calls);
}

TEST_F(BindingTest, CallResultKeepsOnePendingCallAndDropsItAtDestruction) {
  {
    CCallResult<cOwner, CreateItemResult_t> call;
    call.Set(7, &owner_, &cOwner::onCreateItemResult);
    call.Set(9, &owner_, &cOwner::onCreateItemResult);
    call.Set(0, &owner_, &cOwner::onCreateItemResult);  // only drops the pending call
    EXPECT_FALSE(call.IsActive());
    call.Set(7, &owner_, &cOwner::onCreateItemResult);
    owner_.call = &call;
    owner_.rebindTo = 11;  // the member binds the next call
    runCall(&call, &created_, false, 7);
    EXPECT_TRUE(call.IsActive());
  }
  EXPECT_EQ(cCalls({"register call 7", "unregister call 7", "register call 9", "unregister call 9",
                    "register call 7", "register call 11", "unregister call 11"}),
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
