// Uploading one asset file as the content of a workshop item.
#include <iostream>
#include <sstream>

#include "app/workshop.h"
#include "assets/stock_files.h"
#include "console/console.h"
#include "files/file_copy.h"
#include "files/paths.h"
#include "files/pickers.h"
#include "publish/publish.h"

namespace {

const char kPreviewImageFilter[] = ".PNG\0*.png\0.JPG\0*.jpg\0ALL\0*.*\0";

// The submission's progress text now on the console, and the length of
// the "Uploading" line that it follows.
std::string shownProgress;
size_t uploadLineLength = 0;

std::string progressText(EItemUpdateStatus status, uint64_t done, uint64_t total) {
  switch (status) {
    case k_EItemUpdateStatusPreparingConfig:
      return "(preparing)";
    case k_EItemUpdateStatusPreparingContent:
      return "(preparing content)";
    case k_EItemUpdateStatusUploadingContent: {
      std::ostringstream text;
      text << "(uploading " << done << " of " << total << " bytes)";
      return text.str();
    }
    case k_EItemUpdateStatusUploadingPreviewFile:
      return "(uploading preview)";
    case k_EItemUpdateStatusCommittingChanges:
      return "(committing)";
    default:
      return "";
  }
}

// Backspaces can't go back across a wrapped line, so progress is shown only
// where it fits on the console line after "Uploading '...'... ".
bool progressFits(const std::string& text) {
  size_t columns = static_cast<size_t>(consoleColumns());
  return columns > 0 && uploadLineLength % columns + text.size() < columns;
}

// Overwrites the progress text on the console with `text`.
void replaceProgress(const std::string& text) {
  if (text == shownProgress)
    return;
  std::string erase(shownProgress.size(), '\b');
  std::string blank(shownProgress.size(), ' ');
  std::cout << erase << blank << erase << text << std::flush;
  shownProgress = text;
}

}  // namespace

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
  std::cout << grey << "\nYou chose: " << getFileName(contentPath) << "\n";

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
    if (chooseFile(contentPath, workshopPath, assetTypeFileFilter(assetType)) &&
        checkAssetFileName(assetType, *contentPath) && !isStockFile(*contentPath)) {
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
    *previewPath = joinPath(getToolFolder(), "_default_workshop_.png");
  if (!fileExists(*previewPath))
    previewPath->clear();
  return true;
}

bool cWorkshop::choosePreviewImage(const std::string& contentPath,
                                   std::string* previewPath, bool ask) {
  size_t stem = contentPath.size() >= 4 ? contentPath.size() - 4 : 0;
  *previewPath = contentPath.substr(0, stem) + ".png";
  if (fileExists(*previewPath))
    return true;
  if (!ask)
    return false;
  if (chooseFile(previewPath, workshopPath, kPreviewImageFilter))
    return true;
  for (;;) {
    std::cout << red << "\n\nInvalid choice. Retry? (y/n)";
    if (readLine() != "y")
      return false;
    if (chooseFile(previewPath, workshopPath, kPreviewImageFilter))
      return true;
  }
}

// Puts the chosen file alone into the staging folder; whatever an earlier,
// interrupted run left there is removed first, so it is never published.
bool cWorkshop::stageContent(const std::string& contentPath) {
  fileSystem->deleteFolder(stagingPath, true);
  createFolder(stagingPath);
  return copyFile(contentPath, joinPath(stagingPath, getFileName(contentPath)));
}

void cWorkshop::submitUpdate(PublishedFileId_t itemId, int assetType,
                             const std::string& title, const std::string& contentPath,
                             const std::string& previewPath,
                             const std::string& changeNote) {
  UGCUpdateHandle_t handle = ugc->StartItemUpdate(SteamUtils()->GetAppID(), itemId);
  ugc->SetItemVisibility(handle, k_ERemoteStoragePublishedFileVisibilityPublic);
  ugc->SetItemContent(handle, stagingPath.c_str());
  ugc->SetItemMetadata(handle, intToString(assetType).c_str());
  std::string tag = assetTypeName(assetType);
  itemTags->m_nNumStrings = 1;
  itemTags->m_ppStrings[0] = tag.c_str();
  ugc->SetItemTags(handle, itemTags);
  if (!title.empty())
    ugc->SetItemTitle(handle, title.c_str());
  if (!previewPath.empty())
    ugc->SetItemPreview(handle, previewPath.c_str());

  std::string uploadLine = "Uploading '" + contentPath + "'... ";
  std::cout << green << "\n\n" << uploadLine;
  uploadLineLength = uploadLine.size();
  SteamAPICall_t call = ugc->SubmitItemUpdate(handle, changeNote.c_str());
  if (call == k_uAPICallInvalid) {
    std::cout << red << "\nSomething went wrong in sending the update to Steam.\n";
    actionDone = true;
    return;
  }
  updateHandle = handle;
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
  std::string text = progressText(status, done, total);
  replaceProgress(progressFits(text) ? text : "");
}

void cWorkshop::onSubmitItemUpdateResult(SubmitItemUpdateResult_t* result,
                                         bool ioFailure) {
  replaceProgress("");
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
