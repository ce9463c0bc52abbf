// Uploading one asset file as the content of a workshop item.
#include <iostream>
#include <sstream>
#include <vector>

#include "app/workshop.h"
#include "assets/stock_files.h"
#include "console/console.h"
#include "files/file_copy.h"
#include "files/paths.h"
#include "files/pickers.h"
#include "publish/publish.h"

namespace {

const char kPreviewImageFilter[] = ".PNG\0*.png\0.JPG\0*.jpg\0ALL\0*.*\0";
const char kPreviewWanted[] = "a preview image for the item (PNG or JPG)";

// The submission's progress after the "Uploading" line.
cProgressText uploadProgress;

std::string percent(uint64_t done, uint64_t total) {
  std::ostringstream text;
  text << "(" << (total > 0 ? done * 100 / total : 0) << "%)";
  return text.str();
}

// The progress text, longest form first; a narrow line gets a shorter one.
std::vector<std::string> progressForms(EItemUpdateStatus status, uint64_t done,
                                       uint64_t total) {
  switch (status) {
    case k_EItemUpdateStatusPreparingConfig:
      return {"(preparing)"};
    case k_EItemUpdateStatusPreparingContent:
      return {"(preparing content)", "(preparing)"};
    case k_EItemUpdateStatusUploadingContent: {
      std::ostringstream text;
      text << "(uploading " << done << " of " << total << " bytes)";
      return {text.str(), percent(done, total)};
    }
    case k_EItemUpdateStatusUploadingPreviewFile:
      return {"(uploading preview)", "(preview)"};
    case k_EItemUpdateStatusCommittingChanges:
      return {"(committing)"};
    default:
      return {};
  }
}

}  // namespace

std::string imageBeside(const std::string& contentPath) {
  size_t stem = contentPath.size() >= 4 ? contentPath.size() - 4 : 0;
  return contentPath.substr(0, stem) + ".png";
}

std::string defaultPreviewPath() {
  return joinPath(getToolFolder(), "_default_workshop_.png");
}

bool stageFile(cFileSystem* fileSystem, const std::string& stagingPath,
               const std::string& contentPath) {
  fileSystem->deleteFolder(stagingPath, true);
  createFolder(stagingPath);
  return copyFile(contentPath, joinPath(stagingPath, getFileName(contentPath)));
}

std::string intToString(int number) {
  std::ostringstream text;
  text << number;
  return text.str();
}

void cWorkshop::uploadItem(PublishedFileId_t itemId, int assetType, std::string title) {
  if (assetType <= Unrecognised || assetType > Recording) {
    assetType = chooseAssetType();
    if (assetType == Unrecognised) {
      exitAction();
      return;
    }
  }
  std::cout << green << "\nNOTE:";
  checkAssetFileName(assetType, "");
  std::cout << magenta << "\nYOU WILL CHOOSE THE FILE NOW.  " << green;
  pauseConsole();

  std::string contentPath;
  if (!chooseContentFile(assetType, &contentPath)) {
    exitAction();
    return;
  }
  std::cout << grey << "\nYou chose: " << printableText(getFileName(contentPath)) << "\n";

  std::string changeNote = "Initial version.";
  std::string previewPath;
  if (title.empty()) {
    std::cout << green
              << "\nWould you like to supply a new preview image for this item? (y/n)";
    if (readLine() == "y")
      choosePreviewImage(contentPath, &previewPath, true);
    std::cout << green << "\nWhat has changed in this asset?" << grey
              << "\n(leave blank if you don't want to have change notes)";
    changeNote = readLine();
  } else if (!settleNewItemPreview(assetType, contentPath, &previewPath)) {
    actionDone = true;
    return;
  }

  if (!stageContent(contentPath)) {
    std::cout << red << "\nFailed to set up the files for upload. Exiting...";
    actionDone = true;
    return;
  }
  submitUpdate(itemId, assetType, title, contentPath, previewPath, changeNote);
}

// Asks for the asset file until one fits the type's rule and is not one of
// the game's own files; false when the user gives up.
bool cWorkshop::chooseContentFile(int assetType, std::string* contentPath) {
  for (;;) {
    if (chooseFile(contentPath, workshopPath, assetTypeFileFilter(assetType),
                   "the " + assetTypeName(assetType) + " file to upload") &&
        checkAssetFileName(assetType, *contentPath) && !isStockFile(*contentPath) &&
        isOutsideStaging(*contentPath)) {
      return true;
    }
    std::cout << red << "\nInvalid choice!\nTry again? (y/n)";
    if (readLine() != "y")
      return false;
  }
}

// The preview of a new item: maps must have one beside them; other kinds
// may pick one, else get the default image beside the tool when it exists.
bool cWorkshop::settleNewItemPreview(int assetType, const std::string& contentPath,
                                     std::string* previewPath) {
  if (assetType == Map) {
    while (!choosePreviewImage(contentPath, previewPath, false)) {
      std::cout << red << "\nMaps require a preview image.\n"
                << grey
                << "Easily generate one by opening Tiled\nand choose 'File > Save As "
                   "Image...'\nName it yourMapName.png, and save it next to your map."
                << magenta << "\nretry? (y/n)";
      if (readLine() != "y")
        return false;
    }
  } else {
    std::cout << green << "\nWould you like to supply a preview image for this item? (y/n)";
    if (readLine() == "y")
      choosePreviewImage(contentPath, previewPath, true);
  }
  if (previewPath->empty())
    *previewPath = defaultPreviewPath();
  if (!fileExists(*previewPath))
    previewPath->clear();
  return true;
}

bool cWorkshop::choosePreviewImage(const std::string& contentPath,
                                   std::string* previewPath, bool ask) {
  *previewPath = imageBeside(contentPath);
  if (fileExists(*previewPath))
    return true;
  if (!ask)
    return false;
  if (chooseFile(previewPath, workshopPath, kPreviewImageFilter, kPreviewWanted) &&
      isOutsideStaging(*previewPath))
    return true;
  for (;;) {
    std::cout << red << "\n\nInvalid choice. Retry? (y/n)";
    if (readLine() != "y")
      return false;
    if (chooseFile(previewPath, workshopPath, kPreviewImageFilter, kPreviewWanted) &&
        isOutsideStaging(*previewPath))
      return true;
  }
}

// The staging folder is emptied before every upload, so a file inside it
// would be destroyed before it is copied.
bool cWorkshop::isOutsideStaging(const std::string& path) {
  if (!isInsideFolder(path, stagingPath))
    return true;
  std::cout << red << "\nThat file is inside the staging folder "
            << getFileName(stagingPath) << ", which is emptied before every upload.";
  return false;
}

void setUploadContent(ISteamUGC* ugc, UGCUpdateHandle_t handle, const std::string& stagingPath,
                      int assetType, SteamParamStringArray_t* tags) {
  ugc->SetItemContent(handle, stagingPath.c_str());
  ugc->SetItemMetadata(handle, intToString(assetType).c_str());
  std::string tag = assetTypeName(assetType);
  tags->m_nNumStrings = 1;
  tags->m_ppStrings[0] = tag.c_str();
  ugc->SetItemTags(handle, tags);
}

bool cWorkshop::stageContent(const std::string& contentPath) {
  return stageFile(fileSystem, stagingPath, contentPath);
}

void cWorkshop::submitUpdate(PublishedFileId_t itemId, int assetType,
                             const std::string& title, const std::string& contentPath,
                             const std::string& previewPath,
                             const std::string& changeNote) {
  UGCUpdateHandle_t handle = ugc->StartItemUpdate(SteamUtils()->GetAppID(), itemId);
  // Only a new item is made public; an update keeps the item's visibility.
  if (itemId == unfinishedItemId)
    ugc->SetItemVisibility(handle, k_ERemoteStoragePublishedFileVisibilityPublic);
  setUploadContent(ugc, handle, stagingPath, assetType, itemTags);
  if (!title.empty())
    ugc->SetItemTitle(handle, title.c_str());
  if (!previewPath.empty())
    ugc->SetItemPreview(handle, previewPath.c_str());

  std::string uploadLine = "Uploading '" + contentPath + "'... ";
  std::cout << green << "\n\n" << printableText(uploadLine);
  uploadProgress.start(uploadLine.size());
  SteamAPICall_t call = ugc->SubmitItemUpdate(handle, changeNote.c_str());
  if (call == k_uAPICallInvalid) {
    std::cout << red << "\nSomething went wrong in sending the update to Steam.\n";
    actionDone = true;
    return;
  }
  updateHandle = handle;
  unfinishedItemId = 0;
  holdInterrupts(false);
  submitCall.Set(call, this, &cWorkshop::onSubmitItemUpdateResult);
}

// On a terminal, shows how far the submission has come; a redirected
// console stays silent until the result.
void cWorkshop::showUpdateProgress() {
  if (!stdoutIsTerminal())
    return;
  uint64_t done = 0;
  uint64_t total = 0;
  EItemUpdateStatus status = ugc->GetItemUpdateProgress(updateHandle, &done, &total);
  uploadProgress.show(progressForms(status, done, total));
}

void cWorkshop::onSubmitItemUpdateResult(SubmitItemUpdateResult_t* result,
                                         bool ioFailure) {
  uploadProgress.clear();
  if (!checkRecord(result, "SubmitItemUpdateResult_t"))
    return;
  warnLegalAgreement(result->m_bUserNeedsToAcceptWorkshopLegalAgreement);
  if (checkResult(result->m_eResult) && checkDelivery(ioFailure)) {
    std::cout << green << "\nUPLOAD SUCCESSFUL!\n";
    actionDone = true;
  }
}

void cWorkshop::exitAction() {
  std::cout << red << "\nexiting...";
  actionDone = true;
}
