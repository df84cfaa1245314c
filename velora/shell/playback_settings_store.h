#pragma once
// PlaybackSettings in the registry section "PlayBack", one REG_DWORD a value.
#include "framework/registry_settings.h"
#include "velora/playback/playback_settings.h"

namespace velora {

PlaybackSettings ReadPlaybackSettings(const fw::RegistrySettings& registry);
void WritePlaybackSettings(const fw::RegistrySettings& registry, const PlaybackSettings& settings);

}  // namespace velora
