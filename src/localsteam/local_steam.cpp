#include "localsteam/local_steam.h"

#include <algorithm>

#include "platform/process.h"

namespace {

/// The longest runCallbacks sleeps, so that a pump loop stays responsive.
const std::chrono::milliseconds kMaxSleep(10);

}  // namespace

cSteamBackend* newLocalSteam(const std::string& storeFolder) {
  return new cLocalSteam(storeFolder);
}

CSteamID cLocalUser::GetSteamID() {
  return CSteamID(kSteamIdBase + steam_->settings().account);
}

bool cLocalFriends::SetRichPresence(const char* pchKey, const char* pchValue) {
  if (!pchKey || !*pchKey)
    return false;
  cStoreLock lock(steam_->store().folder());
  cStoreSettings settings;
  if (!lock.held() || !steam_->store().readSettings(&settings))
    return false;
  // Steam drops a key set to an empty value.
  if (pchValue && *pchValue)
    settings.richPresence[pchKey] = pchValue;
  else
    settings.richPresence.erase(pchKey);
  return steam_->store().writeSettings(settings);
}

cLocalSteam::cLocalSteam(const std::string& storeFolder)
    : store_(storeFolder), user_(this), friends_(this), ugc_(this) {}

bool cLocalSteam::init() {
  cStoreSettings settings;
  if (!store_.readSettings(&settings) || !settings.clientRunning)
    return false;
  settings_ = settings;
  initialized_ = true;
  return true;
}

void cLocalSteam::shutdown() {
  initialized_ = false;
  pending_.clear();
  ugc_.reset();
}

ISteamUser* cLocalSteam::user() {
  return initialized_ && settings_.userOn ? &user_ : nullptr;
}

ISteamFriends* cLocalSteam::friends() {
  return initialized_ ? &friends_ : nullptr;
}

ISteamUtils* cLocalSteam::utils() {
  return initialized_ ? &utils_ : nullptr;
}

ISteamUGC* cLocalSteam::ugc() {
  return initialized_ && settings_.workshopOn ? &ugc_ : nullptr;
}

std::chrono::milliseconds cLocalSteam::latency() const {
  return std::chrono::milliseconds(settings_.latencyMs);
}

void cLocalSteam::registerCallback(CCallbackBase* callback, int id) {
  unregisterCallback(callback);
  callback->m_nCallbackFlags |= CCallbackBase::k_ECallbackFlagsRegistered;
  callback->m_iCallback = id;
  callbacks_.emplace_back(callback, id);
}

void cLocalSteam::unregisterCallback(CCallbackBase* callback) {
  callback->m_nCallbackFlags &= static_cast<uint8_t>(~CCallbackBase::k_ECallbackFlagsRegistered);
  callbacks_.erase(std::remove_if(callbacks_.begin(), callbacks_.end(),
                                  [&](const std::pair<CCallbackBase*, int>& entry) {
                                    return entry.first == callback;
                                  }),
                   callbacks_.end());
}

void cLocalSteam::registerCallResult(CCallbackBase* callback, SteamAPICall_t call) {
  callResults_[call] = callback;
}

void cLocalSteam::unregisterCallResult(CCallbackBase* callback, SteamAPICall_t call) {
  auto bound = callResults_.find(call);
  if (bound != callResults_.end() && bound->second == callback)
    callResults_.erase(bound);
}

bool cLocalSteam::takeFault(const char* op, cStoreFault* fault) {
  cStoreLock lock(store_.folder());
  cStoreSettings settings;
  if (!lock.held() || !store_.readSettings(&settings))
    return false;
  auto set = settings.faults.find(op);
  if (set == settings.faults.end())
    return false;
  *fault = set->second;
  if (--set->second.count == 0)
    settings.faults.erase(set);
  store_.writeSettings(settings);
  return true;
}

SteamAPICall_t cLocalSteam::post(int callbackId, bool isCall, const void* base, size_t size,
                                 const cStoreFault* fault, std::function<void(void*)> work,
                                 std::function<void(void*, EResult)> setResult) {
  cAnswer answer;
  answer.call = isCall ? ++lastCall_ : 0;
  answer.callbackId = callbackId;
  answer.due = std::chrono::steady_clock::now() + latency();
  const unsigned char* bytes = static_cast<const unsigned char*>(base);
  answer.record.assign(bytes, bytes + size);
  answer.faulted = fault != nullptr;
  if (fault)
    answer.fault = *fault;
  answer.work = std::move(work);
  answer.setResult = std::move(setResult);
  pending_.push_back(std::move(answer));
  return pending_.back().call;
}

bool cLocalSteam::callPending(SteamAPICall_t call) const {
  return std::any_of(pending_.begin(), pending_.end(),
                     [&](const cAnswer& answer) { return answer.call == call; });
}

void cLocalSteam::runCallbacks() {
  auto now = std::chrono::steady_clock::now();
  auto wake = pending_.empty() ? now + kMaxSleep : std::min(pending_.front().due, now + kMaxSleep);
  // The platform's own sleep: MinGW's std::this_thread::sleep_for returns
  // early under Wine, which turned a pump loop into a busy wait.
  if (wake > now)
    sleepMilliseconds(static_cast<uint32_t>(
        std::chrono::ceil<std::chrono::milliseconds>(wake - now).count()));
  now = std::chrono::steady_clock::now();
  // One at a time off the front: a member may start calls or pump again.
  while (!pending_.empty() && pending_.front().due <= now) {
    cAnswer answer = std::move(pending_.front());
    pending_.erase(pending_.begin());
    deliver(&answer);
  }
}

void cLocalSteam::deliver(cAnswer* answer) {
  void* record = answer->record.data();
  bool ioFailure = false;
  if (!answer->faulted) {
    answer->work(record);
  } else if (answer->fault.kind == cStoreFault::kNull) {
    record = nullptr;
  } else if (answer->fault.kind == cStoreFault::kIoFail) {
    ioFailure = true;
    answer->setResult(record, k_EResultOK);
  } else {
    answer->setResult(record, static_cast<EResult>(answer->fault.code));
  }
  if (answer->call) {
    auto bound = callResults_.find(answer->call);
    if (bound == callResults_.end())
      return;
    CCallbackBase* callback = bound->second;
    // As the library does: unregistered before its member runs.
    callResults_.erase(bound);
    callback->Run(record, ioFailure, answer->call);
    return;
  }
  std::vector<CCallbackBase*> listeners;
  for (const auto& entry : callbacks_)
    if (entry.second == answer->callbackId)
      listeners.push_back(entry.first);
  for (CCallbackBase* listener : listeners) {
    bool stillRegistered = std::any_of(callbacks_.begin(), callbacks_.end(),
                                       [&](const std::pair<CCallbackBase*, int>& entry) {
                                         return entry.first == listener;
                                       });
    if (!stillRegistered)
      continue;
    if (ioFailure)
      listener->Run(record, true, 0);
    else
      listener->Run(record);
  }
}
