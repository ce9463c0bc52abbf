// The workshop object: the tool's whole state and every action of it.
#ifndef DRAV_APP_WORKSHOP_H_
#define DRAV_APP_WORKSHOP_H_

#include <memory>
#include <string>
#include <vector>

#include "assets/asset_types.h"
#include "files/directory.h"
#include "platform/files.h"
#include "steam/steam_callback.h"

class cWorkshop {
 public:
  explicit cWorkshop(cFileSystem* fileSystem);
  ~cWorkshop();

  /// Checks Steam, settles the workshop path and runs the menu loop until
  /// the user leaves.
  void run();

 private:
  cWorkshop(const cWorkshop&) = delete;
  cWorkshop& operator=(const cWorkshop&) = delete;

  // Tool shell.
  void mainMenu();
  bool changeWorkshopPath();
  bool lockWorkshopPath(const std::string& path);
  void waitForAction();

  // Asset types.
  AssetType chooseAssetType() { return ::chooseAssetType(); }

  // Publishing.
  void createItem();
  void onCreateItemResult(CreateItemResult_t* result, bool ioFailure);
  /// Deletes the item that action 1 created when the action ended before
  /// its first upload was submitted, and says how that went.
  void deleteUnfinishedItem();
  void queryPublishedItems();
  void onQueryCompleted(SteamUGCQueryCompleted_t* result, bool ioFailure);
  void uploadItem(PublishedFileId_t itemId, int assetType, std::string title);
  bool chooseContentFile(int assetType, std::string* contentPath);
  bool settleNewItemPreview(int assetType, const std::string& contentPath,
                            std::string* previewPath);
  bool choosePreviewImage(const std::string& contentPath, std::string* previewPath,
                          bool ask);
  bool isOutsideStaging(const std::string& path);
  bool stageContent(const std::string& contentPath);
  void submitUpdate(PublishedFileId_t itemId, int assetType, const std::string& title,
                    const std::string& contentPath, const std::string& previewPath,
                    const std::string& changeNote);
  void onSubmitItemUpdateResult(SubmitItemUpdateResult_t* result, bool ioFailure);
  void showUpdateProgress();
  void exitAction();
  bool checkRecord(const void* record, const char* name);
  void warnLegalAgreement(bool needsToAccept);
  bool checkResult(EResult code);
  bool checkDelivery(bool ioFailure);

  // Subscriptions.
  void onDownloadItemResult(DownloadItemResult_t* result);
  bool downloadItem(PublishedFileId_t itemId);
  void installSubscriptions();
  bool installItemFolder(const std::string& folder, PublishedFileId_t itemId);

  cFileSystem* fileSystem;
  ISteamUGC* ugc;
  SteamUGCDetails_t* itemDetails;
  SteamParamStringArray_t* itemTags;
  std::string workshopPath;
  std::string pathFileName;
  std::string stagingPath;
  // The locks of every workshop path of this run: the first keeps the
  // staging folder, the last the installs.
  std::vector<std::unique_ptr<cFileLock>> pathLocks;
  bool actionDone;
  bool exitRequested;
  bool downloadPending;
  bool downloadSucceeded;
  PublishedFileId_t downloadItemId;
  // The item created by action 1 until its first upload is submitted.
  PublishedFileId_t unfinishedItemId;
  CCallResult<cWorkshop, CreateItemResult_t> createItemCall;
  CCallResult<cWorkshop, SteamUGCQueryCompleted_t> queryCall;
  CCallResult<cWorkshop, SubmitItemUpdateResult_t> submitCall;
  CCallback<cWorkshop, DownloadItemResult_t, false> downloadCallback;
  // The update being submitted, for the progress line on a terminal.
  UGCUpdateHandle_t updateHandle;
};

#endif  // DRAV_APP_WORKSHOP_H_
