// The records and the callback base as the Steam library lays them out:
// it writes and reads these bytes and calls the virtual slots by position.
#include <stddef.h>

#include <string>

#include <gtest/gtest.h>

#include DRAV_LAYOUT_EXPECT_HEADER
#include "steam/recording_backend.h"
#include "steam/steam_callback.h"

namespace {

/// Byte offset of a member of an object that isn't standard-layout.
template <class T, class M>
size_t offsetIn(const T& object, const M& member) {
  return static_cast<size_t>(reinterpret_cast<const char*>(&member) -
                             reinterpret_cast<const char*>(&object));
}

class cSlotProbe : public CCallbackBase {
 public:
  void Run(void* record) override {
    ran = "record";
    seen = record;
  }
  void Run(void* record, bool ioFailure, uint64_t call) override {
    ran = "call";
    seen = record;
    seenFailure = ioFailure;
    seenCall = call;
  }
  int GetCallbackSizeBytes() override { return 42; }

  std::string ran;
  void* seen = nullptr;
  bool seenFailure = false;
  uint64_t seenCall = 0;
};

typedef void (*tAnySlot)();
typedef void (DRAV_SLOT_CALL* tRunRecordSlot)(void* self, void* record);
typedef void (DRAV_SLOT_CALL* tRunCallSlot)(void* self, void* record, bool ioFailure,
                                            uint64_t call);
typedef int (DRAV_SLOT_CALL* tSizeSlot)(void* self);

/// The virtual table as the library sees it: an array of code addresses.
tAnySlot slot(CCallbackBase* object, int index) {
  return (*reinterpret_cast<tAnySlot* const*>(object))[index];
}

void callRunRecord(CCallbackBase* object, void* record) {
  reinterpret_cast<tRunRecordSlot>(slot(object, expect::kSlotRunRecord))(object, record);
}

void callRunCall(CCallbackBase* object, void* record, bool ioFailure, uint64_t call) {
  reinterpret_cast<tRunCallSlot>(slot(object, expect::kSlotRunCall))(object, record, ioFailure,
                                                                     call);
}

int callSize(CCallbackBase* object) {
  return reinterpret_cast<tSizeSlot>(slot(object, expect::kSlotSize))(object);
}

// The sizes and offsets of the records are checked where they are
// compiled; the ids by which the library delivers them are checked here.
TEST(RecordLayout, CallbackIds) {
  EXPECT_EQ(3403, CreateItemResult_t::k_iCallback);
  EXPECT_EQ(3417, DeleteItemResult_t::k_iCallback);
  EXPECT_EQ(3401, SteamUGCQueryCompleted_t::k_iCallback);
  EXPECT_EQ(3404, SubmitItemUpdateResult_t::k_iCallback);
  EXPECT_EQ(3406, DownloadItemResult_t::k_iCallback);
}

TEST(RecordLayout, CallbackBaseFields) {
  cSlotProbe probe;
  CCallbackBase& base = probe;
  EXPECT_EQ(sizeof(void*) + 8, sizeof(CCallbackBase));
  EXPECT_EQ(sizeof(void*), offsetIn(base, base.m_nCallbackFlags));
  EXPECT_EQ(sizeof(void*) + 4, offsetIn(base, base.m_iCallback));
  EXPECT_EQ(0, base.m_nCallbackFlags);
  EXPECT_EQ(0, base.m_iCallback);
}

TEST(CallbackSlots, LibraryCallsReachTheRightRun) {
  cSlotProbe probe;
  int record = 0;
  callRunRecord(&probe, &record);
  EXPECT_EQ("record", probe.ran);
  EXPECT_EQ(&record, probe.seen);

  callRunCall(&probe, &record, true, 0x1234567890ULL);
  EXPECT_EQ("call", probe.ran);
  EXPECT_TRUE(probe.seenFailure);
  EXPECT_EQ(0x1234567890ULL, probe.seenCall);

  EXPECT_EQ(42, callSize(&probe));
}

class cSlotOwner {
 public:
  void onCreateItemResult(CreateItemResult_t* result, bool ioFailure) {
    seen = result;
    seenFailure = ioFailure;
  }
  void onDownloadItemResult(DownloadItemResult_t* result) { downloaded = result; }

  CreateItemResult_t* seen = nullptr;
  bool seenFailure = false;
  DownloadItemResult_t* downloaded = nullptr;
};

TEST(CallbackSlots, BindingsAnswerTheLibrarysSlots) {
  cRecordingBackend backend;
  cScopedBackend scope(&backend);
  cSlotOwner owner;
  CCallResult<cSlotOwner, CreateItemResult_t> created;
  CCallback<cSlotOwner, DownloadItemResult_t, false> downloads(&owner,
                                                              &cSlotOwner::onDownloadItemResult);
  EXPECT_EQ(static_cast<int>(expect::kCreateItemSize), callSize(&created));
  EXPECT_EQ(static_cast<int>(expect::kDownloadSize), callSize(&downloads));

  created.Set(5, &owner, &cSlotOwner::onCreateItemResult);
  CreateItemResult_t result = {};
  callRunCall(&created, &result, true, 5);
  EXPECT_EQ(&result, owner.seen);
  EXPECT_TRUE(owner.seenFailure);
  EXPECT_FALSE(created.IsActive());

  DownloadItemResult_t download = {};
  callRunRecord(&downloads, &download);
  EXPECT_EQ(&download, owner.downloaded);
}

}  // namespace
