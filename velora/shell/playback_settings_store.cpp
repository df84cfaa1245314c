#include "velora/shell/playback_settings_store.h"

namespace velora {

namespace {
const char kSection[] = "PlayBack";
}

PlaybackSettings ReadPlaybackSettings(const fw::RegistrySettings& registry) {
  const PlaybackSettings defaults;
  PlaybackSettings s;
  s.Reverse = registry.GetInt(kSection, "Reverse", defaults.Reverse);
  s.Mute = registry.GetInt(kSection, "Mute", defaults.Mute);
  s.Zoom = registry.GetInt(kSection, "Zoom", defaults.Zoom);
  s.Speed = registry.GetInt(kSection, "Speed", defaults.Speed);
  s.Center = registry.GetInt(kSection, "Center", defaults.Center);
  return s;
}

void WritePlaybackSettings(const fw::RegistrySettings& registry, const PlaybackSettings& s) {
  registry.WriteInt(kSection, "Reverse", s.Reverse);
  registry.WriteInt(kSection, "Mute", s.Mute);
  registry.WriteInt(kSection, "Zoom", s.Zoom);
  registry.WriteInt(kSection, "Speed", s.Speed);
  registry.WriteInt(kSection, "Center", s.Center);
}

}  // namespace velora
