// The resources the Windows programs carry, read from the built zarnic.exe
// and zarnic_play.exe under wine: the manifest's DPI awareness, the version
// record, and the icon in every size it is drawn at.
#include <windows.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

struct Program {
  const char* path;
  const char* file_name;
};
const Program programs[] = {{ZARNIC_EXE, "zarnic.exe"}, {ZARNIC_PLAY_EXE, "zarnic_play.exe"}};

constexpr int icon_sides[] = {16, 32, 48, 64};
constexpr WORD icon_id = 1;
constexpr WORD manifest_id = 1;  // the one Windows reads when the process starts

// The program's resources, without running it.
class ResourceModule {
 public:
  explicit ResourceModule(const char* path)
      : module(LoadLibraryExA(path, nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE)) {}
  ~ResourceModule() {
    if (module != nullptr) FreeLibrary(module);
  }
  ResourceModule(const ResourceModule&) = delete;
  ResourceModule& operator=(const ResourceModule&) = delete;

  // The bytes of a resource; empty when there is none.
  std::string bytes(WORD id, LPCSTR type) const {
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), type);
    if (found == nullptr) return "";
    HGLOBAL loaded = LoadResource(module, found);
    const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
    return data != nullptr ? std::string(static_cast<const char*>(data), SizeofResource(module, found)) : "";
  }

  HMODULE module;
};

std::string version_text(const std::vector<char>& record, const char* name) {
  void* value = nullptr;
  UINT length = 0;
  const std::string query = std::string("\\StringFileInfo\\040904B0\\") + name;
  if (!VerQueryValueA(record.data(), query.c_str(), &value, &length) || length == 0) return "";
  return static_cast<const char*>(value);
}

TEST(ProgramResources, EachProgramDeclaresPerMonitorDpiAwarenessAndItsVersion) {
  for (const Program& program : programs) {
    SCOPED_TRACE(program.file_name);
    ResourceModule resources(program.path);
    ASSERT_NE(resources.module, nullptr);
    const std::string manifest = resources.bytes(manifest_id, MAKEINTRESOURCEA(24));
    EXPECT_NE(manifest.find(">true/pm</dpiAware>"), std::string::npos) << manifest;
    EXPECT_NE(manifest.find(">PerMonitorV2, PerMonitor</dpiAwareness>"), std::string::npos) << manifest;
    EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos) << manifest;

    DWORD ignored = 0;
    std::vector<char> record(GetFileVersionInfoSizeA(program.path, &ignored));
    ASSERT_FALSE(record.empty()) << "no version record";
    ASSERT_TRUE(GetFileVersionInfoA(program.path, 0, static_cast<DWORD>(record.size()), record.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(record.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
    EXPECT_NE(fixed->dwFileVersionMS, 0u) << "a version number of 0.0";
    EXPECT_EQ(version_text(record, "ProductName"), "zarnic's engin");
    EXPECT_EQ(version_text(record, "OriginalFilename"), program.file_name);
    EXPECT_NE(version_text(record, "FileDescription"), "");
    EXPECT_NE(version_text(record, "FileVersion"), "");
  }
}

TEST(ProgramResources, TheIconComesInEverySizeItIsDrawnAt) {
  for (const Program& program : programs) {
    SCOPED_TRACE(program.file_name);
    ResourceModule resources(program.path);
    ASSERT_NE(resources.module, nullptr);
    // The icon group: reserved, type, count, then 14 bytes per image (width,
    // height, colours, reserved, planes, bits per pixel, size, id).
    const std::string group = resources.bytes(icon_id, MAKEINTRESOURCEA(14));  // RT_GROUP_ICON
    ASSERT_GE(group.size(), 6u) << "no icon";
    std::vector<int> sides;
    const int count = static_cast<uint8_t>(group[4]) | static_cast<uint8_t>(group[5]) << 8;
    for (int i = 0; i < count && 6 + 14 * (i + 1) <= static_cast<int>(group.size()); ++i) {
      sides.push_back(static_cast<uint8_t>(group[6 + 14 * i]));
    }
    EXPECT_EQ(sides, std::vector<int>(std::begin(icon_sides), std::end(icon_sides)));

    for (int side : icon_sides) {
      HICON icon =
          static_cast<HICON>(LoadImageA(resources.module, MAKEINTRESOURCEA(icon_id), IMAGE_ICON, side, side, 0));
      EXPECT_NE(icon, nullptr) << side;
      if (icon != nullptr) DestroyIcon(icon);
    }
  }
}

}  // namespace
