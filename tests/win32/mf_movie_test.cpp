// What a Media Foundation movie reads of the types and events the platform
// gives it, on media types made by the system's own mfplat.
#include <gtest/gtest.h>

#include <evr.h>
#include <mferror.h>

#include <array>
#include <cstdlib>
#include <memory>
#include <string>

#include "framework/handles.h"
#include "framework/system_libraries.h"
#include "velora/playback/direct3d_check.h"
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
      {MESessionTopologySet, S_OK, 0, kMovieTopologySet},
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

// The small green MP4 clip the tests are given, as Windows names it.
std::string GreenClip() {
  const char* clip = std::getenv("PREVIEW_MP4");
  std::string path = clip ? std::string("Z:") + clip : std::string();
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

// A movie let go while its file is still being read, or while it plays,
// lets its file go once released: the user can delete or move the clip.
TEST(MfMovieTest, AMovieLetGoReleasesItsFile) {
  const std::string from = GreenClip();
  ASSERT_FALSE(from.empty()) << "PREVIEW_MP4 not set";
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

bool AnyCardDraws(SystemLibraryLoader) { return true; }

// A shown window of the given size for a movie to play in.
UniqueMovieWindow Target(int width, int height) {
  return UniqueMovieWindow(CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, width, height, nullptr,
                                           nullptr, nullptr, nullptr));
}

// The green clip read on `platform` for `window`, its streams taken; null,
// and a failure, when it cannot be.
std::unique_ptr<MfMovie> OpenGreenClip(MediaFoundation& platform, HWND window) {
  auto movie = MfMovie::Open(platform, GreenClip(), window, 1);
  if (movie && PumpUntil(window, kMovieOpened, 10000) && movie->FinishOpen()) return movie;
  ADD_FAILURE() << "cannot open " << GreenClip();
  return nullptr;
}

// Stand-ins for the graphics card's renderer: a sample grabber that takes
// the frames and shows none, given the window the renderer would draw in,
// and a display control that keeps what it is told.
struct StandInDisplay final : IMFVideoDisplayControl {
  RECT position{};
  DWORD mode = MFVideoARMode_PreservePicture;
  int repaints = 0;

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    *out = iid == IID_IUnknown || iid == __uuidof(IMFVideoDisplayControl) ? this : nullptr;
    return *out ? S_OK : E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP GetNativeVideoSize(SIZE*, SIZE*) override { return E_NOTIMPL; }
  STDMETHODIMP GetIdealVideoSize(SIZE*, SIZE*) override { return E_NOTIMPL; }
  STDMETHODIMP SetVideoPosition(const MFVideoNormalizedRect* source, LPRECT destination) override {
    if (source || !destination) return E_INVALIDARG;
    position = *destination;
    return S_OK;
  }
  STDMETHODIMP GetVideoPosition(MFVideoNormalizedRect*, RECT*) override { return E_NOTIMPL; }
  STDMETHODIMP SetAspectRatioMode(DWORD value) override { return mode = value, S_OK; }
  STDMETHODIMP GetAspectRatioMode(DWORD*) override { return E_NOTIMPL; }
  STDMETHODIMP SetVideoWindow(HWND) override { return E_NOTIMPL; }
  STDMETHODIMP GetVideoWindow(HWND*) override { return E_NOTIMPL; }
  STDMETHODIMP RepaintVideo() override { return ++repaints, S_OK; }
  STDMETHODIMP GetCurrentImage(BITMAPINFOHEADER*, BYTE**, DWORD*, LONGLONG*) override { return E_NOTIMPL; }
  STDMETHODIMP SetBorderColor(COLORREF) override { return E_NOTIMPL; }
  STDMETHODIMP GetBorderColor(COLORREF*) override { return E_NOTIMPL; }
  STDMETHODIMP SetRenderingPrefs(DWORD) override { return E_NOTIMPL; }
  STDMETHODIMP GetRenderingPrefs(DWORD*) override { return E_NOTIMPL; }
  STDMETHODIMP SetFullscreen(BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP GetFullscreen(BOOL*) override { return E_NOTIMPL; }
};

StandInDisplay standInDisplay;
HWND standInWindow;
MediaFoundationApi realApi;

HRESULT WINAPI StandInRendererActivate(HWND window, IMFActivate** out) {
  standInWindow = window;
  ComPtr<IMFMediaType> video;
  if (FAILED(realApi.CreateMediaType(video.out())) || FAILED(video->SetGUID(MF_MT_MAJOR_TYPE, MFMediaType_Video)) ||
      FAILED(video->SetGUID(MF_MT_SUBTYPE, MFVideoFormat_NV12)))
    return E_FAIL;
  auto* frames = new MovieCallbacks(std::shared_ptr<MovieSink>(new MovieSink(nullptr, 0)));
  const HRESULT made = realApi.CreateSampleGrabberSinkActivate(video.get(), frames, out);
  frames->Release();
  return made;
}

HRESULT WINAPI StandInGetService(IUnknown* object, REFGUID service, REFIID iid, void** out) {
  if (service == kVideoRenderService) return standInDisplay.QueryInterface(iid, out);
  return realApi.GetService(object, service, iid, out);
}

void WithStandInRenderer(MediaFoundationApi& api) {
  realApi.CreateMediaType = api.CreateMediaType;
  realApi.CreateSampleGrabberSinkActivate = api.CreateSampleGrabberSinkActivate;
  realApi.GetService = api.GetService;
  api.CreateVideoRendererActivate = StandInRendererActivate;
  api.GetService = StandInGetService;
}

// Where the graphics card can draw, the renderer gets a window of its own
// at the movie's place in the target, is told to fill it without adding bars
// of its own, follows the movie when it moves, shows its frame again when
// the window paints, and its window goes with the movie.
TEST(MfMovieTest, TheRendererDrawsInAWindowOfItsOwnAtTheMoviesPlace) {
  MediaFoundation platform(fw::LoadSystemLibrary, WithStandInRenderer, AnyCardDraws);
  UniqueMovieWindow target = Target(320, 240);
  ASSERT_TRUE(target);
  auto movie = OpenGreenClip(platform, target.get());
  ASSERT_TRUE(movie);
  ASSERT_TRUE(movie->Play(target.get(), RECT{10, 20, 170, 140}, 1000, true));
  EXPECT_STREQ(movie->Caption(), kMediaFoundationRendererTitle);
  const HWND renderer = standInWindow;
  ASSERT_TRUE(IsWindow(renderer));
  EXPECT_EQ(GetParent(renderer), target.get());
  ASSERT_TRUE(PumpUntil(target.get(), kMovieReady, 10000));
  movie->OnEvent(kMovieReady);
  EXPECT_EQ(standInDisplay.mode, static_cast<DWORD>(MFVideoARMode_None));

  auto placeIs = [&](const RECT& where) {
    RECT window;
    GetWindowRect(renderer, &window);
    MapWindowPoints(nullptr, target.get(), reinterpret_cast<POINT*>(&window), 2);
    const RECT whole{0, 0, where.right - where.left, where.bottom - where.top};
    return EqualRect(&window, &where) && EqualRect(&standInDisplay.position, &whole);
  };
  EXPECT_TRUE(placeIs(RECT{10, 20, 170, 140}));
  movie->MoveTo(RECT{30, 40, 110, 100});
  EXPECT_TRUE(placeIs(RECT{30, 40, 110, 100}));

  const int repaints = standInDisplay.repaints;
  InvalidateRect(renderer, nullptr, TRUE);
  UpdateWindow(renderer);
  EXPECT_EQ(standInDisplay.repaints, repaints + 1);

  movie.reset();
  EXPECT_FALSE(IsWindow(renderer));
  EXPECT_TRUE(MfMovie::WaitForReleases(5000));
}


// The movie's events handed to it, and its picture painted into `dc`, until
// the pixel at `at` is the clip's green; false when it was not within the time.
bool PlayUntilGreen(MfMovie& movie, HWND window, HDC dc, POINT at, DWORD milliseconds) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < milliseconds) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.hwnd == window && msg.message == WM_SAVER_MOVIE_EVENT) {
        const LPARAM answer = movie.OnEvent(msg.lParam);
        if (answer == kMovieUnopened || answer == kMovieFailed) return false;
      } else {
        DispatchMessageA(&msg);
      }
    }
    movie.Paint(dc);
    const COLORREF pixel = GetPixel(dc, at.x, at.y);
    if (GetRValue(pixel) < 40 && GetGValue(pixel) > 200 && GetBValue(pixel) < 40) return true;
    Sleep(20);
  }
  return false;
}

// The tests run under Wine, whose renderer never shows a picture: the card
// is not asked, and Direct3D not even loaded.
TEST(MfMovieTest, UnderWineTheCardIsNotAskedAtAll) {
  EXPECT_FALSE(CardShowsRenderersPictures(fw::LoadSystemLibrary));
  EXPECT_EQ(GetModuleHandleA("d3d9.dll"), nullptr);
}

// Where Direct3D is said to work but the renderer cannot play (under Wine on
// the bench, Direct3D draws through GDI and the renderer gets no device),
// velora draws the movie itself, in a new session, and every later movie at
// once.
TEST(MfMovieTest, WhereTheRendererRefusesVeloraDrawsThatMovieAndEveryLaterOne) {
  MediaFoundation platform(fw::LoadSystemLibrary, nullptr, AnyCardDraws);
  UniqueMovieWindow target = Target(64, 48);
  ASSERT_TRUE(target);
  HDC screen = GetDC(nullptr);
  fw::UniqueMemoryDc dc(CreateCompatibleDC(screen));
  fw::UniqueBitmap bitmap(CreateCompatibleBitmap(screen, 64, 48));
  ReleaseDC(nullptr, screen);
  fw::SelectIn drawing(dc.get(), bitmap.get());
  for (const bool first : {true, false}) {
    PatBlt(dc.get(), 0, 0, 64, 48, BLACKNESS);
    auto movie = OpenGreenClip(platform, target.get());
    ASSERT_TRUE(movie);
    ASSERT_TRUE(movie->Play(target.get(), RECT{0, 0, 64, 48}, 1000, true));
    EXPECT_STREQ(movie->Caption(), first ? kMediaFoundationRendererTitle : kMediaFoundationMovieTitle);
    EXPECT_TRUE(PlayUntilGreen(*movie, target.get(), dc.get(), POINT{32, 24}, 10000))
        << (first ? "the first movie" : "a later movie");
    EXPECT_STREQ(movie->Caption(), kMediaFoundationMovieTitle);
  }
  EXPECT_TRUE(MfMovie::WaitForReleases(5000));
}

}  // namespace
}  // namespace movie_sink
}  // namespace velora
