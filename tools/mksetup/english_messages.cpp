#include "mksetup/english_messages.h"

#include <iterator>
#include <map>
#include <stdexcept>

#include "archive/setup_script.h"

namespace {

// Message 1 first. "{...}" stands for a value (see Placeholders). The setup
// joins some texts with values and adds no separator of its own:
//   8 + drive letter + 48, 47 + disk number, 52 + supported systems,
//   86 + " " + 87, status prefixes 35, 58, 73, 75, 78 + a name,
//   43, 44, 45 + "    " + a folder or a shortcut list.
// 20, 21, 28, 31, 32, 33 and 84 are check-box captions: the setup doubles
// their first "&", so none of them has a mnemonic; nor have the buttons.
// Pages whose Next button may turn into Install (the page before the
// progress page) do not name the Next button.
const char* const kEnglish[] = {
    /* 1 */ "Welcome to the {setup_version} Wizard",
    /* 2 */
    "This wizard will guide you through the installation of {product_version}{from_publisher}.\r\n\r\n"
    "Please close all other programs before you continue.",
    /* 3 */
    "Setup will install {product} in the following folder. To install it in a different folder, "
    "click Browse and select another folder.",
    /* 4 */ "Click Install to start the installation, or click Back to review or change any settings.",
    /* 5 */ "Please wait while Setup installs {product} on your computer. This may take several minutes.",
    /* 6 */ "Completing the {setup_version} Wizard",
    /* 7 */ "{Product} has been installed on your computer.\r\n\r\nClick Finish to close Setup.",
    /* 8 */ "{Product} cannot be installed on drive ",
    /* 9 */ "License Agreement",
    /* 10 */ "Please review the license terms before installing {product}.",
    /* 11 */ "Choose Install Location",
    /* 12 */ "Choose the folder in which to install {product}.",
    /* 13 */ "Choose a Start Menu folder for the {name} shortcuts.",
    /* 14 */ "Choose Shortcuts",
    /* 15 */ "Choose the additional shortcuts to create.",
    /* 16 */ "Ready to Install",
    /* 17 */ "Please wait while {product} is being installed.",
    /* 18 */
    "If you accept the terms of the agreement, click I Agree to continue. You must accept the "
    "agreement to install {product}.",
    /* 19 */
    "Select the Start Menu folder in which to create the shortcuts. You can also enter a name to "
    "create a new folder.",
    /* 20 */ "Launch {product}",
    /* 21 */ "View the Readme file",
    /* 22 */ "I Agree",
    /* 23 */ "Next >",
    /* 24 */ "< Back",
    /* 25 */ "Cancel",
    /* 26 */ "Install",
    /* 27 */ "Browse...",
    /* 28 */ "Do not create shortcuts",
    /* 29 */ "Destination Folder",
    /* 30 */ "Choose Start Menu Folder",
    /* 31 */ "Create a desktop shortcut",
    /* 32 */ "Create a Start Menu shortcut",
    /* 33 */ "Create a Quick Launch shortcut",
    /* 34 */ "Information",
    /* 35 */ "Extracting: ",
    /* 36 */ "Cannot create file: ",
    /* 37 */ "Creating registry entries...",
    /* 38 */ "Creating shortcuts...",
    /* 39 */ "Saving uninstall information...",
    /* 40 */ "Removing backup files...",
    /* 41 */ "Finish",
    /* 42 */ "{setup}",
    /* 43 */ "Destination folder:\r\n",
    /* 44 */ "Start Menu folder:\r\n",
    /* 45 */ "Additional shortcuts:\r\n",
    /* 46 */ "Are you sure you want to quit {setup}?",
    /* 47 */ "Please insert the following disk and click OK:\r\n\r\n{setup} disk ",
    /* 48 */
    " because it does not have enough free space. Please choose a folder on another drive, or free "
    "up some space and try again.",
    /* 49 */ "Choose the folder in which to install {product}:",
    /* 50 */ "Select the additional shortcuts you would like Setup to create for {product}.",
    /* 51 */ "Extracting files...",
    /* 52 */ "{Product} can only be installed on ",
    /* 53 */ "",
    /* 54 */ "",
    /* 55 */ "",
    /* 56 */ "",
    /* 57 */ "Running commands...",
    /* 58 */ "Registering: ",
    /* 59 */ "The installation of {product} was canceled before it was complete. Setup will now close.",
    /* 60 */ "Updating configuration files...",
    /* 61 */ "Installing",
    /* 62 */ "Setup is ready to install {product} on your computer.",
    /* 63 */ "{Product} will be uninstalled from the following folder. Click Uninstall to remove it.",
    /* 64 */ "Uninstall",
    /* 65 */ "Uninstalling from:",
    /* 66 */ "Yes, restart the computer now",
    /* 67 */ "No, I will restart the computer later",
    /* 68 */ "Uninstall {product}",
    /* 69 */ "Remove {product} from your computer.",
    /* 70 */ "Completed",
    /* 71 */ "Uninstallation Complete",
    /* 72 */ "The uninstallation finished successfully.",
    /* 73 */ "Deleting file: ",
    /* 74 */ "Please wait while {product} is removed from your computer.",
    /* 75 */ "Removing folder: ",
    /* 76 */ "{Product} has been removed from your computer.\r\n\r\nClick Finish to close this wizard.",
    /* 77 */ "Are you sure you want to cancel uninstalling {product}?",
    /* 78 */ "Unregistering: ",
    /* 79 */
    "{Product} has been installed on your computer.\r\n\r\nYour computer must be restarted to finish "
    "the installation. Do you want to restart it now?",
    /* 80 */ "Creating folders...",
    /* 81 */ "Visit the {name} web page",
    /* 82 */ "Please read the following information before you continue.",
    /* 83 */ "Setup has finished installing {product} on your computer.",
    /* 84 */ "Visit the {name} website",
    /* 85 */ "You must be logged in as an administrator to install {product}.",
    /* 86 */
    "{Product} requires a version of the .NET Framework that is not installed on this computer. "
    "Please install the required version and run Setup again.",
    /* 87 */ "The .NET Framework can be downloaded from the web. Would you like to open the download page now?",
};
static_assert(std::size(kEnglish) == kMessagesPerLanguage, "one English text per message number");

// A value as it may stand inside a one-line text of a script field: no NUL
// (which ends a field), other control characters as spaces, no blanks around.
std::string Clean(const std::string& value) {
  std::string text;
  for (char c : value)
    if (c != '\0') text += static_cast<unsigned char>(c) < 0x20 ? ' ' : c;
  size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// What each "{...}" stands for. Without a product name the texts speak of
// "the program" and the setup of just "Setup"; the version only follows a
// name.
std::map<std::string, std::string> Placeholders(const TMessageValues& values) {
  std::string product = Clean(values.product);
  std::string version = Clean(values.version);
  std::string publisher = Clean(values.publisher);
  bool named = !product.empty();
  std::string versioned = named && !version.empty() ? product + " " + version : product;
  return {
      {"product", named ? product : "the program"},
      {"Product", named ? product : "The program"},
      {"name", named ? product : "program"},  // before a noun: "the {name} website"
      {"product_version", named ? versioned : "the program"},
      {"setup", named ? product + " Setup" : "Setup"},
      {"setup_version", named ? versioned + " Setup" : "Setup"},
      {"from_publisher", publisher.empty() ? "" : " from " + publisher},
  };
}

// The text with its placeholders replaced; the values themselves are not
// searched again, so a name with braces in it stays as it is.
std::string Fill(const char* text, const std::map<std::string, std::string>& placeholders) {
  std::string result;
  for (const char* p = text; *p != '\0';) {
    if (*p != '{') {
      result += *p++;
      continue;
    }
    const char* end = p + 1;
    while (*end != '\0' && *end != '}') ++end;
    auto it = *end == '}' ? placeholders.find(std::string(p + 1, end)) : placeholders.end();
    if (it == placeholders.end()) throw std::logic_error(std::string("unknown placeholder in: ") + text);
    result += it->second;
    p = end + 1;
  }
  return result;
}

}  // namespace

std::vector<std::string> EnglishMessages(const TMessageValues& values) {
  std::map<std::string, std::string> placeholders = Placeholders(values);
  std::vector<std::string> messages;
  messages.reserve(std::size(kEnglish));
  for (const char* text : kEnglish) messages.push_back(Fill(text, placeholders));
  return messages;
}
