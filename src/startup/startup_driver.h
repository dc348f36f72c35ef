// The start-up driver: takes the setup from a bare executable to a setup
// ready for the wizard, or ends the run.
#pragma once

struct TStartupResult {
  bool ended = false;  // the run is over; exitCode says how
  int exitCode = 0;
};

TStartupResult RunStartupDriver();
