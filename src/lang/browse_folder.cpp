#include "lang/browse_folder.h"

#include <ole2.h>
#include <shlobj.h>

#include "toolkit/com_ptr.h"

namespace {

// A block from the shell's allocator, given back to it.
class TShellBlock {
public:
  TShellBlock(IMalloc* allocator, void* block) : allocator_(allocator), block_(block) {}
  ~TShellBlock() {
    if (block_) allocator_->Free(block_);
  }
  TShellBlock(const TShellBlock&) = delete;
  TShellBlock& operator=(const TShellBlock&) = delete;
  void* Get() const { return block_; }

private:
  IMalloc* allocator_;
  void* block_;
};

// Opens the browser on the folder passed as data (the browser ignores one
// that does not exist). The selection is made again once the browser has
// run its own start-up messages: some shells fill the tree after telling us
// they are ready, and select their root as they do.
int CALLBACK SelectStartFolder(HWND browser, UINT message, LPARAM, LPARAM folder) {
  if (message == BFFM_INITIALIZED) {
    SendMessageA(browser, BFFM_SETSELECTIONA, TRUE, folder);
    PostMessageA(browser, BFFM_SETSELECTIONA, TRUE, folder);  // the text outlives the browser
  }
  return 0;
}

}  // namespace

bool BrowseForFolder(HWND owner, const std::string& instruction, std::string& folder) {
  TComPtr<IMalloc> allocator;
  if (FAILED(SHGetMalloc(allocator.Receive())) || !allocator) return false;
  const TShellBlock displayName(allocator.Get(), allocator->Alloc(MAX_PATH));
  if (!displayName.Get()) return false;
  char* const buffer = static_cast<char*>(displayName.Get());
  const TOleSession ole;

  BROWSEINFOA info{};
  info.hwndOwner = owner;
  info.pszDisplayName = buffer;
  info.lpszTitle = instruction.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
  info.lpfn = SelectStartFolder;
  info.lParam = reinterpret_cast<LPARAM>(folder.c_str());
  const TShellBlock chosen(allocator.Get(), SHBrowseForFolderA(&info));
  // Only file-system folders can be chosen; should the conversion still
  // fail, the buffer holds a display name, not a path, and is not used.
  if (!chosen.Get() || !SHGetPathFromIDListA(static_cast<PCIDLIST_ABSOLUTE>(chosen.Get()), buffer)) return false;
  folder = buffer;
  return true;
}
