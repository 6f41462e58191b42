/* A log of the calls a test plug-in received, for the tests to read through the exports
 * "TestLog" and "TestLogClear". Each call appends "Name(args);". */
#ifndef QLM_TEST_CALL_LOG_H
#define QLM_TEST_CALL_LOG_H

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#include "plugins/qlm_plugin.h"

static char g_log[8192];

static void LogCall(const char* format, ...) {
  size_t used = strlen(g_log);
  if (used + 1 >= sizeof g_log)
    return;
  va_list args;
  va_start(args, format);
  vsnprintf(g_log + used, sizeof g_log - used, format, args);
  va_end(args);
}

QLM_PLUGIN_EXPORT const char* TestLog(void) {
  return g_log;
}

QLM_PLUGIN_EXPORT void TestLogClear(void) {
  g_log[0] = '\0';
}

#endif
