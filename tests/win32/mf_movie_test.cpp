// What a Media Foundation movie reads of the types and events the platform
// gives it, on media types made by the system's own mfplat.
#include <gtest/gtest.h>

#include <mferror.h>

#include <array>
#include <cstdlib>
#include <memory>
#include <string>

#include "framework/handles.h"
#include "framework/system_libraries.h"
#include "velora/playback/movie_window.h"
#include "velora/playback/mf_movie.h"
#include "velora/playback/mf_movie_sink.h"

namespace velora {
namespace movie_sink {
namespace {

constexpr UINT64 Pair(UINT32 high, UINT32 low) { return (static_cast<UINT64>(high) << 32) | low; }

// The decoder's type as it reaches the grabber, and the file's own; a value
// of 0 (-1 for a stride or a turn) is left out of the type.
TEST(MfMovieTest, TheGeometryIsReadFromTheGrabbersTypeAndTheFilesTurnAndShape) {
  MediaFoundation platform(fw::LoadSystemLibrary);
  const std::shared_ptr<const MediaFoundationApi> api = platform.Acquire();
  ASSERT_TRUE(api) << "no Media Foundation";
  enum Aperture { kNone, kMinimum, kGeometric, kBoth, kShortBlob };
  struct Case {
    const char* what;
    UINT32 width, height;
    INT32 stride;
    Aperture aperture;
    MFVideoArea area;
    UINT64 aspect;
    INT32 rotation;
    UINT64 fileAspect;
    INT32 fileRotation;
    // width, height, pictureWidth, pictureHeight, firstRow, bottomUp, rowPixels, turns
    std::array<int, 8> expected;
  };
  const MFVideoArea p1080{{0, 0}, {0, 0}, {1920, 1080}}, p1350{{0, 0}, {0, 0}, {1080, 1350}};
  const MFVideoArea whole{{0, 0}, {0, 0}, {1088, 1360}};
  const Case cases[] = {
      {"size only, as under Wine", 320, 240, -1, kNone, {}, 0, -1, 0, -1, {320, 240, 320, 240, 0, 0, 320, 0}},
      {"1080 lines coded as 1088", 1920, 1088, 7680, kMinimum, p1080, 0, -1, 0, -1,
       {1920, 1080, 1920, 1080, 0, 0, 1920, 0}},
      {"the geometric aperture without a minimum one", 1088, 1360, -1, kGeometric, p1350, 0, -1, 0, -1,
       {1080, 1350, 1080, 1350, 0, 0, 1088, 0}},
      {"the minimum aperture before the geometric one", 1088, 1360, -1, kBoth, p1350, 0, -1, 0, -1,
       {1080, 1350, 1080, 1350, 0, 0, 1088, 0}},
      {"an aperture blob of another size", 1088, 1360, -1, kShortBlob, whole, 0, -1, 0, -1,
       {1088, 1360, 1088, 1360, 0, 0, 1088, 0}},
      {"bottom-up", 1920, 1088, -7680, kMinimum, p1080, 0, -1, 0, -1, {1920, 1080, 1920, 1080, 8, 1, 1920, 0}},
      {"pixels 32:27 wide", 720, 480, -1, kNone, {}, Pair(32, 27), -1, 0, -1, {853, 480, 720, 480, 0, 0, 720, 0}},
      {"turned 90", 1920, 1080, -1, kNone, {}, 0, 90, 0, -1, {1080, 1920, 1920, 1080, 0, 0, 1920, 1}},
      {"turn and shape told by the file only", 720, 480, -1, kNone, {}, 0, -1, Pair(32, 27), 270,
       {480, 853, 720, 480, 0, 0, 720, 3}},
      {"the decoder's own turn and shape first", 720, 480, -1, kNone, {}, Pair(1, 1), 0, Pair(32, 27), 90,
       {720, 480, 720, 480, 0, 0, 720, 0}},
      {"no frame size", 0, 0, -1, kNone, {}, 0, 90, 0, -1, {}},
  };
  for (const Case& c : cases) {
    ComPtr<IMFMediaType> type, file;
    ASSERT_TRUE(SUCCEEDED(api->CreateMediaType(type.out())) && SUCCEEDED(api->CreateMediaType(file.out())));
    if (c.width) type->SetUINT64(MF_MT_FRAME_SIZE, Pair(c.width, c.height));
    if (c.stride != -1) type->SetUINT32(MF_MT_DEFAULT_STRIDE, static_cast<UINT32>(c.stride));
    const auto* area = reinterpret_cast<const UINT8*>(&c.area);
    if (c.aperture == kMinimum || c.aperture == kBoth || c.aperture == kShortBlob)
      type->SetBlob(MF_MT_MINIMUM_DISPLAY_APERTURE, area, c.aperture == kShortBlob ? 8 : sizeof c.area);
    if (c.aperture == kGeometric) type->SetBlob(MF_MT_GEOMETRIC_APERTURE, area, sizeof c.area);
    // The whole frame as the geometric aperture, beside the minimum one.
    if (c.aperture == kBoth)
      type->SetBlob(MF_MT_GEOMETRIC_APERTURE, reinterpret_cast<const UINT8*>(&whole), sizeof whole);
    if (c.aspect) type->SetUINT64(MF_MT_PIXEL_ASPECT_RATIO, c.aspect);
    if (c.rotation != -1) type->SetUINT32(MF_MT_VIDEO_ROTATION, static_cast<UINT32>(c.rotation));
    if (c.fileAspect) file->SetUINT64(MF_MT_PIXEL_ASPECT_RATIO, c.fileAspect);
    if (c.fileRotation != -1) file->SetUINT32(MF_MT_VIDEO_ROTATION, static_cast<UINT32>(c.fileRotation));
    const VideoGeometry g = GeometryOf(type.get(), file.get());
    EXPECT_EQ((std::array<int, 8>{g.width, g.height, g.pictureWidth, g.pictureHeight, g.firstRow, g.bottomUp,
                                  g.rowPixels, g.turns}),
              c.expected)
        << c.what;
  }
}

// Only a failed start, an error or a topology without a decoder stops a
// movie; any other event, failed or not, leaves it playing.
TEST(MfMovieTest, OnlyRealFailuresEndAMovie) {
  const struct {
    MediaEventType type;
    HRESULT status;
    UINT32 topologyStatus;
    LPARAM outcome;
  } cases[] = {
      {MESessionEnded, S_OK, 0, kMovieEnded},
      {MESessionEnded, E_FAIL, 0, kMovieFailed},
      {MEError, S_OK, 0, kMovieFailed},
      {MEError, MF_E_INVALIDREQUEST, 0, kMovieFailed},
      {MESessionStarted, S_OK, 0, 0},
      {MESessionStarted, E_FAIL, 0, kMovieFailed},
      {MESessionTopologySet, S_OK, 0, 0},
      {MESessionTopologySet, MF_E_TOPO_CODEC_NOT_FOUND, 0, kMovieUnresolved},
      {MESessionTopologyStatus, S_OK, MF_TOPOSTATUS_READY, kMovieReady},
      {MESessionTopologyStatus, S_OK, MF_TOPOSTATUS_STARTED_SOURCE, 0},
      {MESessionTopologyStatus, E_FAIL, MF_TOPOSTATUS_READY, 0},
      {MESessionStreamSinkFormatChanged, S_OK, 0, kMovieReady},
      {MESessionRateChanged, MF_E_UNSUPPORTED_RATE, 0, 0},
      {MESessionCapabilitiesChanged, E_FAIL, 0, 0},
      {MESessionNotifyPresentationTime, E_FAIL, 0, 0},
      {MESessionClosed, S_OK, 0, 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(MovieEventFor(c.type, c.status, c.topologyStatus), c.outcome) << c.type << " " << std::hex << c.status;
}


// The movie's posted event of the given kind, while its window's messages
// are handled; false when none came within the time.
bool PumpUntil(HWND window, LPARAM event, DWORD milliseconds) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < milliseconds) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.hwnd == window && msg.message == WM_SAVER_MOVIE_EVENT && msg.lParam == event) return true;
      DispatchMessageA(&msg);
    }
    Sleep(5);
  }
  return false;
}

// A movie let go while its file is still being read, or while it plays,
// lets its file go once released: the user can delete or move the clip.
TEST(MfMovieTest, AMovieLetGoReleasesItsFile) {
  const char* clip = std::getenv("PREVIEW_MP4");
  ASSERT_TRUE(clip) << "PREVIEW_MP4 not set";
  std::string from = std::string("Z:") + clip;
  for (char& c : from)
    if (c == '/') c = '\\';
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  const std::string copy = std::string(temp) + "velora-let-go.mp4";
  UniqueMovieWindow window(CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 64, 48, nullptr, nullptr, nullptr, nullptr));
  ASSERT_TRUE(window);
  for (const bool playing : {false, true}) {
    ASSERT_TRUE(CopyFileA(from.c_str(), copy.c_str(), FALSE)) << from << ": error " << GetLastError();
    {
      auto movie = MfMovie::Open(SystemMediaFoundation(), copy, window.get(), 1);
      ASSERT_TRUE(movie);
      if (playing) {
        ASSERT_TRUE(PumpUntil(window.get(), kMovieOpened, 10000));
        ASSERT_TRUE(movie->FinishOpen());
        ASSERT_TRUE(movie->Play(window.get(), RECT{0, 0, 64, 48}, 1000, true));
        ASSERT_TRUE(PumpUntil(window.get(), kMovieReady, 10000));
        movie->OnEvent(kMovieReady);
        PumpUntil(window.get(), kMovieEnded, 500);
      }
    }
    EXPECT_TRUE(MfMovie::WaitForReleases(5000)) << (playing ? "playing" : "opening");
    // Nobody holds the file any more: it opens for this alone.
    fw::UniqueFile alone(
        CreateFileA(copy.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_TRUE(alone) << (playing ? "playing" : "opening") << ": error " << GetLastError();
    alone.reset();
    EXPECT_TRUE(DeleteFileA(copy.c_str())) << (playing ? "playing" : "opening") << ": error " << GetLastError();
  }
}

}  // namespace
}  // namespace movie_sink
}  // namespace velora
