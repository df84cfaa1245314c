#include "velora/shell/playback_settings_store.h"

#include <climits>

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
  s.FitToScreen = registry.GetInt(kSection, "FitToScreen", defaults.FitToScreen);
  return s;
}

void WritePlaybackSettings(const fw::RegistrySettings& registry, const PlaybackSettings& s) {
  registry.WriteInt(kSection, "Reverse", s.Reverse);
  registry.WriteInt(kSection, "Mute", s.Mute);
  registry.WriteInt(kSection, "Zoom", s.Zoom);
  registry.WriteInt(kSection, "Speed", s.Speed);
  registry.WriteInt(kSection, "Center", s.Center);
  // Written once chosen, so that a user who never picks it keeps the five
  // values every copy of the saver knows.
  constexpr int kAbsent = INT_MIN;
  if (s.FitToScreen || registry.GetInt(kSection, "FitToScreen", kAbsent) != kAbsent)
    registry.WriteInt(kSection, "FitToScreen", s.FitToScreen);
}

}  // namespace velora
