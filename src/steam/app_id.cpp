#include "steam/app_id.h"

AppId_t toolAppId() {
  return DRAV_APP_ID;
}
