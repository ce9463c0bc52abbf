// The binding templates: which call a CCallResult answers and how both
// templates register and unregister. That members run only inside
// SteamAPI_RunCallbacks is the service's delivery test (local_steam_test).
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "steam/recording_backend.h"
#include "steam/steam_callback.h"

namespace {

typedef std::vector<std::string> cCalls;

class cOwner {
 public:
  void onCreateItemResult(CreateItemResult_t* result, bool ioFailure) {
    results.push_back(result);
    failures.push_back(ioFailure);
    if (rebindTo)
      call->Set(rebindTo, this, &cOwner::onCreateItemResult);
  }
  void onDownloadItemResult(DownloadItemResult_t* result) { downloads.push_back(result); }

  std::vector<CreateItemResult_t*> results;
  std::vector<bool> failures;
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

TEST_F(BindingTest, CallResultAnswersOnlyItsOwnCall) {
  CCallResult<cOwner, CreateItemResult_t> call;
  CCallbackBase* asLibrarySeesIt = &call;
  call.Set(7, &owner_, &cOwner::onCreateItemResult);
  CreateItemResult_t result = {};

  asLibrarySeesIt->Run(&result, false, 8);
  EXPECT_TRUE(owner_.results.empty());
  EXPECT_TRUE(call.IsActive());
  EXPECT_EQ(cCalls({"register call 7"}), backend_.calls);

  asLibrarySeesIt->Run(&result, true, 7);
  ASSERT_EQ(1u, owner_.results.size());
  EXPECT_EQ(&result, owner_.results[0]);
  EXPECT_TRUE(owner_.failures[0]);
  EXPECT_FALSE(call.IsActive());
}

TEST_F(BindingTest, OneArgumentRunAnswersWithoutFailure) {
  CCallResult<cOwner, CreateItemResult_t> call;
  CCallbackBase* asLibrarySeesIt = &call;
  call.Set(7, &owner_, &cOwner::onCreateItemResult);
  CreateItemResult_t result = {};
  asLibrarySeesIt->Run(&result);
  ASSERT_EQ(1u, owner_.results.size());
  EXPECT_FALSE(owner_.failures[0]);
  EXPECT_FALSE(call.IsActive());
}

TEST_F(BindingTest, SetUnregistersThePendingCallFirst) {
  CCallResult<cOwner, CreateItemResult_t> call;
  call.Set(7, &owner_, &cOwner::onCreateItemResult);
  call.Set(9, &owner_, &cOwner::onCreateItemResult);
  EXPECT_EQ(cCalls({"register call 7", "unregister call 7", "register call 9"}), backend_.calls);

  // Handle 0 only drops the pending call.
  call.Set(0, &owner_, &cOwner::onCreateItemResult);
  EXPECT_EQ("unregister call 9", backend_.calls.back());
  EXPECT_EQ(4u, backend_.calls.size());
  EXPECT_FALSE(call.IsActive());
}

TEST_F(BindingTest, MemberMayBindTheNextCall) {
  CCallResult<cOwner, CreateItemResult_t> call;
  CCallbackBase* asLibrarySeesIt = &call;
  owner_.call = &call;
  owner_.rebindTo = 11;
  call.Set(7, &owner_, &cOwner::onCreateItemResult);
  CreateItemResult_t result = {};
  asLibrarySeesIt->Run(&result, false, 7);
  // The library unregistered call 7 itself before the member ran.
  EXPECT_EQ(cCalls({"register call 7", "register call 11"}), backend_.calls);
  EXPECT_TRUE(call.IsActive());
  owner_.rebindTo = 0;
}

TEST_F(BindingTest, CallResultUnregistersAtDestructionOnlyWhenPending) {
  {
    CCallResult<cOwner, CreateItemResult_t> idle;
    CCallResult<cOwner, CreateItemResult_t> answered;
    answered.Set(3, &owner_, &cOwner::onCreateItemResult);
    CreateItemResult_t result = {};
    static_cast<CCallbackBase&>(answered).Run(&result, false, 3);
  }
  EXPECT_EQ(cCalls({"register call 3"}), backend_.calls);
  backend_.calls.clear();
  {
    CCallResult<cOwner, CreateItemResult_t> pending;
    pending.Set(4, &owner_, &cOwner::onCreateItemResult);
  }
  EXPECT_EQ(cCalls({"register call 4", "unregister call 4"}), backend_.calls);
}

TEST_F(BindingTest, CallbackRegistersAtConstructionAndUnregistersOnce) {
  {
    CCallback<cOwner, DownloadItemResult_t, false> downloads(&owner_,
                                                             &cOwner::onDownloadItemResult);
    EXPECT_EQ(cCalls({"register 3406"}), backend_.calls);
    EXPECT_EQ(CCallbackBase::k_ECallbackFlagsRegistered, downloads.m_nCallbackFlags);
    EXPECT_EQ(3406, downloads.m_iCallback);

    DownloadItemResult_t result = {};
    static_cast<CCallbackBase&>(downloads).Run(&result, true, 99);
    static_cast<CCallbackBase&>(downloads).Run(&result);
    EXPECT_EQ(2u, owner_.downloads.size());

    downloads.Unregister();
    EXPECT_EQ(0, downloads.m_nCallbackFlags & CCallbackBase::k_ECallbackFlagsRegistered);
  }
  // Not registered any more at destruction: no second unregister.
  EXPECT_EQ(cCalls({"register 3406", "unregister"}), backend_.calls);
}

TEST_F(BindingTest, CallbackWithoutObjectNeverRegisters) {
  {
    CCallback<cOwner, DownloadItemResult_t, true> serverSide(nullptr, nullptr);
    EXPECT_EQ(CCallbackBase::k_ECallbackFlagsGameServer, serverSide.m_nCallbackFlags);
  }
  EXPECT_TRUE(backend_.calls.empty());
}

}  // namespace
