// The report of mksetup inspect, for people and as JSON.
#pragma once
#include <string>

#include "mksetup/setup_reading.h"

// The report for people: the header fields that are not empty, the first
// message of each language. Values with a named form in a description
// ({install} for @$&%04, HKCU for root 1, ...) show it beside the raw one.
std::string InspectionText(const TInspection& inspection);
// The same content as a JSON document, every header field and message
// included, the named forms in members of their own. Script texts are ANSI:
// bytes above 0x7F are written as \u00XX.
std::string InspectionJson(const TInspection& inspection);
