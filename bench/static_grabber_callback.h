#pragma once
// What the benchmarks' Media Foundation players leave empty in a sample
// grabber's callback: a static object that counts no references and ignores
// the clock's changes. Each player adds QueryInterface and OnProcessSample.
// Include it after the Windows 7 level and <mfidl.h> are set up.
#include <mfidl.h>

class StaticGrabberCallback : public IMFSampleGrabberSinkCallback {
 public:
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP OnClockStart(MFTIME, LONGLONG) override { return S_OK; }
  STDMETHODIMP OnClockStop(MFTIME) override { return S_OK; }
  STDMETHODIMP OnClockPause(MFTIME) override { return S_OK; }
  STDMETHODIMP OnClockRestart(MFTIME) override { return S_OK; }
  STDMETHODIMP OnClockSetRate(MFTIME, float) override { return S_OK; }
  STDMETHODIMP OnSetPresentationClock(IMFPresentationClock*) override { return S_OK; }
  STDMETHODIMP OnShutdown() override { return S_OK; }
};
