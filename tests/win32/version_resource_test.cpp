// The version resources that Windows shows in the programs' properties.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

// A program as the build made it; the bench passes its Linux path.
std::string ProgramPath(const char* variable) {
  const char* unixPath = std::getenv(variable);
  if (!unixPath) return {};
  std::string path = std::string("Z:") + unixPath;
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

struct Expected {
  const char* pathVariable;
  const char* fileDescription;
  const char* productName;
  const char* internalName;
  const char* originalFilename;
};

TEST(VersionResource, NamesEachProgramAndItsVersion) {
  const Expected programs[] = {
      {"VELORA_SCR", "Velora Screen Saver", "Velora Screen Saver", "velora", "velora.scr"},
      {"VELPANEL_EXE", "Velora Control Panel", "Velora Control Panel", "VELPANEL", "VELPANEL.EXE"},
  };
  for (const Expected& program : programs) {
    SCOPED_TRACE(program.pathVariable);
    std::string path = ProgramPath(program.pathVariable);
    ASSERT_FALSE(path.empty()) << "not set";
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::vector<char> data(size);
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, data.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(0, 1));
    EXPECT_EQ(fixed->dwFileVersionLS, MAKELONG(1, 0));
    EXPECT_EQ(fixed->dwProductVersionMS, MAKELONG(0, 1));
    EXPECT_EQ(fixed->dwProductVersionLS, MAKELONG(1, 0));

    struct Translation {
      WORD language, codePage;
    }* translation = nullptr;
    ASSERT_TRUE(VerQueryValueA(data.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                               &length));
    char block[64];
    wsprintfA(block, "\\StringFileInfo\\%04x%04x\\", translation->language, translation->codePage);
    auto value = [&](const char* name) {
      char* text = nullptr;
      UINT chars = 0;
      if (!VerQueryValueA(data.data(), (std::string(block) + name).c_str(), reinterpret_cast<void**>(&text), &chars))
        return std::string("<none>");
      return std::string(text);
    };
    EXPECT_EQ(value("FileVersion"), "1.0.0.1");
    EXPECT_EQ(value("ProductVersion"), "1.0.0.1");
    EXPECT_EQ(value("FileDescription"), program.fileDescription);
    EXPECT_EQ(value("ProductName"), program.productName);
    EXPECT_EQ(value("InternalName"), program.internalName);
    EXPECT_EQ(value("OriginalFilename"), program.originalFilename);
  }
}

}  // namespace
