// The program file's identity record and icon, read back by Windows itself
// from grumbosh.exe.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "shell/app_icon.h"
#include "shell/platform/win32/icon_file.h"
#include "shell/platform/win32/win32_text.h"

namespace {

std::wstring ProgramFile() { return win32::Widen(GRUMBOSH_PROGRAM_FILE); }

std::wstring StringField(const std::vector<uint8_t>& record, const wchar_t* name) {
  void* value = nullptr;
  UINT length = 0;
  const std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
  if (!VerQueryValueW(record.data(), path.c_str(), &value, &length) || value == nullptr) return L"(missing)";
  return static_cast<const wchar_t*>(value);
}

TEST(Win32Resources, VersionRecord) {
  const std::wstring file = ProgramFile();
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(file.c_str(), &ignored);
  ASSERT_GT(size, 0u) << "no version record in " << GRUMBOSH_PROGRAM_FILE;
  std::vector<uint8_t> record(size);
  ASSERT_TRUE(GetFileVersionInfoW(file.c_str(), 0, size, record.data()));

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(record.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  // 1.0.0.1, of the file and of the product.
  for (DWORD ms : {fixed->dwFileVersionMS, fixed->dwProductVersionMS}) EXPECT_EQ(ms, 0x00010000u);
  for (DWORD ls : {fixed->dwFileVersionLS, fixed->dwProductVersionLS}) EXPECT_EQ(ls, 0x00000001u);
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

  WORD* translation = nullptr;
  ASSERT_TRUE(VerQueryValueW(record.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                             &length));
  ASSERT_EQ(length, 4u);
  EXPECT_EQ(translation[0], 0x0409);  // US English
  EXPECT_EQ(translation[1], 1200);    // Unicode

  const std::pair<const wchar_t*, const wchar_t*> fields[] = {
      {L"FileVersion", L"1.00.0001"},       {L"ProductVersion", L"1.00.0001"}, {L"ProductName", L"Grumbosh"},
      {L"OriginalFilename", L"grumbosh.exe"}, {L"InternalName", L"grumbosh"}};
  for (const auto& [name, value] : fields) EXPECT_EQ(StringField(record, name), value) << win32::Narrow(name);
  for (const wchar_t* name : {L"CompanyName", L"LegalCopyright", L"FileDescription"}) {
    EXPECT_NE(StringField(record, name), L"(missing)") << win32::Narrow(name);
  }
}

TEST(Win32Resources, ProgramFileIconIsTheArtAt256Colours) {
  HMODULE program = LoadLibraryExW(ProgramFile().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(program, nullptr);
  HRSRC group = FindResourceW(program, MAKEINTRESOURCEW(1), RT_GROUP_ICON);
  ASSERT_NE(group, nullptr);
  auto* directory = static_cast<const uint8_t*>(LockResource(LoadResource(program, group)));
  ASSERT_NE(directory, nullptr);
  // GRPICONDIR: reserved, type, count; then 14-byte entries ending in an id.
  ASSERT_EQ(directory[4] | (directory[5] << 8), 1) << "one image";
  const uint8_t* entry = directory + 6;
  EXPECT_EQ(entry[0], 32);
  EXPECT_EQ(entry[1], 32);
  EXPECT_EQ(entry[6] | (entry[7] << 8), 8) << "bits a pixel";
  const int id = entry[12] | (entry[13] << 8);

  HRSRC image = FindResourceW(program, MAKEINTRESOURCEW(id), RT_ICON);
  ASSERT_NE(image, nullptr);
  const DWORD size = SizeofResource(program, image);
  auto* bytes = static_cast<const uint8_t*>(LockResource(LoadResource(program, image)));
  const std::vector<uint8_t> expected = win32::IconResourceBytes(AppIcon());
  ASSERT_EQ(size, expected.size());
  EXPECT_EQ(std::memcmp(bytes, expected.data(), size), 0) << "the icon is not shell/app_icon.cpp's art";
  FreeLibrary(program);
}

// The encoder itself, against the layout Windows reads: the palette holds
// the art's colours and the rows run bottom up.
TEST(Win32Resources, IconBytesHoldThePaletteAndRowsBottomUp) {
  const platform::IconImage& art = AppIcon();
  const std::vector<uint8_t> image = win32::IconResourceBytes(art);
  ASSERT_EQ(image.size(), 40u + 1024u + 32u * 32u + 4u * 32u);
  EXPECT_EQ(image[14], 8);  // biBitCount
  EXPECT_EQ(image[8], 64);  // biHeight: colour rows and mask rows
  for (size_t entry = 0; entry < 256; ++entry) {
    const uint8_t* quad = &image[40 + 4 * entry];
    EXPECT_EQ(static_cast<uint32_t>(quad[2] << 16 | quad[1] << 8 | quad[0]), art.palette[entry]) << entry;
  }
  const uint8_t* rows = &image[40 + 1024];
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 32; ++x) {
      ASSERT_EQ(rows[(31 - y) * 32 + x], art.pixels[static_cast<size_t>(y * 32 + x)]) << x << "," << y;
    }
  }
  const std::vector<uint8_t> file = win32::IconFileBytes(art);
  ASSERT_EQ(file.size(), 22u + image.size());
  EXPECT_EQ(std::memcmp(file.data() + 22, image.data(), image.size()), 0);
}

}  // namespace
