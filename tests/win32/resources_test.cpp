// The executable's own resources: icon, version information, manifest.
#include <gtest/gtest.h>

#include <string>

#include "win32_support.h"

namespace {

class TDataModule {
public:
  explicit TDataModule(const std::string& path)
      : module_(LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE)) {}
  ~TDataModule() {
    if (module_) FreeLibrary(module_);
  }
  HMODULE Get() const { return module_; }

  std::string Resource(const char* name, const char* type) const {
    HRSRC found = FindResourceA(module_, name, type);
    if (!found) return std::string();
    HGLOBAL loaded = LoadResource(module_, found);
    const char* bytes = static_cast<const char*>(LockResource(loaded));
    return bytes ? std::string(bytes, SizeofResource(module_, found)) : std::string();
  }

private:
  HMODULE module_;
};

}  // namespace

TEST(SetupResources, IconVersionAndManifestArePresent) {
  TDataModule setup(ExecutableFolder() + "setup.exe");
  ASSERT_TRUE(setup.Get());
  HICON icon = static_cast<HICON>(LoadImageA(setup.Get(), "MAINICON", IMAGE_ICON, 32, 32, 0));
  ASSERT_TRUE(icon) << "MAINICON";
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(icon, &info));
  BITMAP colour{};
  GetObject(info.hbmColor, sizeof colour, &colour);
  EXPECT_EQ(colour.bmWidth, 32);
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  DestroyIcon(icon);

  std::string manifest = setup.Resource(MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
  EXPECT_NE(manifest.find("level=\"requireAdministrator\""), std::string::npos);
  EXPECT_NE(manifest.find("Microsoft.Windows.Common-Controls"), std::string::npos);
  EXPECT_NE(manifest.find("version=\"6.0.0.0\""), std::string::npos);
  EXPECT_NE(manifest.find(">PerMonitorV2, PerMonitor</dpiAwareness>"), std::string::npos) << "scales itself";
  EXPECT_NE(manifest.find(">true/pm</dpiAware>"), std::string::npos);

  std::string version = setup.Resource(MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(16));
  ASSERT_FALSE(version.empty());
  const std::wstring key = L"VS_VERSION_INFO";
  EXPECT_NE(version.find(std::string(reinterpret_cast<const char*>(key.c_str()), key.size() * 2)), std::string::npos);
}
