#include "velora/playback/direct3d_check.h"

#include <d3d9.h>

#include "framework/handles.h"
#include "framework/system_libraries.h"
#include "velora/playback/com_ptr.h"
#include "velora/playback/movie_window.h"

namespace velora {

bool CardShowsRenderersPictures(SystemLibraryLoader loader) {
  // Wine's own ntdll says which system this is.
  if (GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version")) return false;
  const fw::UniqueLibrary d3d9(loader("d3d9.dll"));
  if (!d3d9) return false;
  // Hidden and disabled: it must never take the activation from the saver.
  UniqueMovieWindow scratch(CreateWindowExA(WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW, "STATIC", "", WS_POPUP | WS_DISABLED, 0,
                                            0, 16, 16, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr));
  if (!scratch) return false;
  D3DPRESENT_PARAMETERS params{};
  params.Windowed = TRUE;
  params.SwapEffect = D3DSWAPEFFECT_DISCARD;
  params.BackBufferFormat = D3DFMT_UNKNOWN;
  params.hDeviceWindow = scratch.get();
  const DWORD behaviour = D3DCREATE_SOFTWARE_VERTEXPROCESSING | D3DCREATE_FPU_PRESERVE;
  // The renderer asks for the Ex flavour where the system has it (Vista on).
  using Create9Ex = HRESULT(WINAPI*)(UINT, IDirect3D9Ex**);
  if (const auto create9Ex = fw::FindFunction<Create9Ex>(d3d9.get(), "Direct3DCreate9Ex")) {
    ComPtr<IDirect3D9Ex> d3d;
    ComPtr<IDirect3DDevice9Ex> device;
    return SUCCEEDED(create9Ex(D3D_SDK_VERSION, d3d.out())) &&
           SUCCEEDED(d3d->CreateDeviceEx(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, scratch.get(), behaviour, &params,
                                         nullptr, device.out()));
  }
  using Create9 = IDirect3D9*(WINAPI*)(UINT);
  const auto create9 = fw::FindFunction<Create9>(d3d9.get(), "Direct3DCreate9");
  const auto d3d = ComPtr<IDirect3D9>::Adopt(create9 ? create9(D3D_SDK_VERSION) : nullptr);
  ComPtr<IDirect3DDevice9> device;
  return d3d && SUCCEEDED(d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, scratch.get(), behaviour, &params,
                                            device.out()));
}

}  // namespace velora
