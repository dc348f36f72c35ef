#include "lang/messages.h"

#include "archive/setup_script.h"

const std::string& MessageText(int m) {
  static const std::string kEmpty;
  const auto& entries = Script().sections[kSectionMessages].fields;
  return m >= 1 && m <= kMessagesPerLanguage && size_t(m) < entries.size() ? entries[size_t(m)] : kEmpty;
}

void SelectMessageLanguage(int l) {
  if (l <= 0) return;
  auto& entries = Script().sections[kSectionMessages].fields;
  const size_t from = size_t(l) * kMessagesPerLanguage;
  if (entries.size() < size_t(kMessagesPerLanguage) + 1) entries.resize(kMessagesPerLanguage + 1);
  for (int m = 1; m <= kMessagesPerLanguage; ++m)
    entries[size_t(m)] = from + size_t(m) < entries.size() ? entries[from + size_t(m)] : std::string();
}

std::string EscapeAmpersand(std::string text) {
  size_t at = text.find('&');
  if (at != std::string::npos) text.insert(at, 1, '&');
  return text;
}
