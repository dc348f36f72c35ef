#include "engine/item_report.h"

#include "toolkit/run_log.h"

void ReportItem(const std::string& what, DWORD error) {
  if (error == ERROR_SUCCESS) LogLine("installed " + what);
  else LogFailure(what, error);
}
