/* A plug-in library with nothing but its information: every call the player makes must be
 * skipped. */
#include "plugins/qlm_plugin.h"

QLM_PLUGIN_EXPORT const char* GetInfo(void) {
  return "Bare";
}
