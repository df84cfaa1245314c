#include "message_map.h"

namespace fw {

namespace {

bool Matches(const MessageMapEntry& e, const Message& msg) {
  switch (e.kind) {
    case EntryKind::Message:
      return e.message == msg.message;
    case EntryKind::Command: {
      if (msg.message != WM_COMMAND || LOWORD(msg.wParam) != e.id) return false;
      // Menus and accelerators carry no control; both count as code 0.
      UINT code = msg.lParam ? HIWORD(msg.wParam) : 0;
      return code == e.code;
    }
    case EntryKind::Notify: {
      if (msg.message != WM_NOTIFY || !msg.lParam) return false;
      auto* hdr = reinterpret_cast<const NMHDR*>(msg.lParam);
      return hdr->idFrom == e.id && hdr->code == e.code;
    }
    case EntryKind::UpdateUi:
    case EntryKind::End:
      break;
  }
  return false;
}

}  // namespace

Handler CmdTarget::FindHandler(const Message& msg) const {
  for (const MessageMap* map = GetMessageMap(); map; map = map->base) {
    for (const MessageMapEntry* e = map->entries; e->kind != EntryKind::End; ++e) {
      if (Matches(*e, msg)) return e->handler;
    }
  }
  return nullptr;
}

bool CmdTarget::UpdateCommandUi(CmdUi& ui) {
  for (const MessageMap* map = GetMessageMap(); map; map = map->base) {
    for (const MessageMapEntry* e = map->entries; e->kind != EntryKind::End; ++e) {
      if (e->kind == EntryKind::UpdateUi && e->id == ui.id) {
        (this->*e->update)(ui);
        return true;
      }
    }
  }
  return false;
}

}  // namespace fw
