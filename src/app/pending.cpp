// The one-time notices of operations whose subsystem is not built yet, kept by name so that
// each says so once per run.
#include "app/pending.h"

#include <cstdio>
#include <set>
#include <string>

void ReportNotAvailable(const char* name) {
  static std::set<std::string> told;
  if (!told.insert(name).second) return;
  std::fprintf(stderr, "not available yet: %s\n", name);
  std::fflush(stderr);
}
