#pragma once
// Message tables. Each class that handles messages lists them in a table that
// names its base class's table; dispatch walks from the most derived table to
// the base, so a derived class's entry wins, and what no table names gets the
// system's default processing.
//
//   FW_BEGIN_MESSAGE_MAP(SaverWindow, PlayerWindow)
//     FW_ON_MESSAGE(WM_SETCURSOR, OnSetCursor)
//     FW_ON_COMMAND(IDC_SET, OnSet)
//     FW_ON_NOTIFY(TVN_SELCHANGEDA, IDC_PLAYLIST_TREE, OnSelChanged)
//     FW_ON_UPDATE_COMMAND_UI(ID_PLAY, OnUpdatePlay)
//   FW_END_MESSAGE_MAP()
#include <windows.h>

namespace fw {

// One message as the window procedure received it.
struct Message {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

// Asks a window and its control bars to recompute their buttons' states at
// once (the application sends it when idle, with wParam 1).
#ifndef WM_IDLEUPDATECMDUI
#define WM_IDLEUPDATECMDUI 0x0363
#endif

// What a command's button should show, asked of the command's owner while the
// program is idle. Commands are enabled and not checked unless an owner says so.
struct CmdUi {
  UINT id;
  bool enabled = true;
  bool checked = false;
  void Enable(bool on = true) { enabled = on; }
  void SetCheck(bool on = true) { checked = on; }
};

class CmdTarget;
using Handler = LRESULT (CmdTarget::*)(Message&);
using UpdateHandler = void (CmdTarget::*)(CmdUi&);

enum class EntryKind { Message, Command, Notify, UpdateUi, End };

struct MessageMapEntry {
  EntryKind kind;
  UINT message;  // the window message (Message entries)
  UINT code;     // notification code (Command and Notify entries)
  UINT id;       // control or command id (Command, Notify and UpdateUi entries)
  Handler handler;
  UpdateHandler update;  // UpdateUi entries
};

struct MessageMap {
  const MessageMap* base;
  const MessageMapEntry* entries;
};

// Anything with a message table: windows, dialogs and the application.
class CmdTarget {
 public:
  virtual ~CmdTarget() = default;
  static const MessageMap* ThisMessageMap() { return nullptr; }

  // Finds the handler for a message, most derived table first.
  Handler FindHandler(const Message& msg) const;
  // Lets the update handler of the command fill in its state; answers false
  // when no table has one.
  bool UpdateCommandUi(CmdUi& ui);

 protected:
  virtual const MessageMap* GetMessageMap() const { return nullptr; }
};

}  // namespace fw

#define FW_DECLARE_MESSAGE_MAP()                            \
 protected:                                                 \
  const fw::MessageMap* GetMessageMap() const override;     \
                                                            \
 public:                                                    \
  static const fw::MessageMap* ThisMessageMap();

#define FW_BEGIN_MESSAGE_MAP(Class, Base)                                          \
  const fw::MessageMap* Class::GetMessageMap() const { return ThisMessageMap(); } \
  const fw::MessageMap* Class::ThisMessageMap() {                                  \
    using ThisClass = Class;                                                       \
    using BaseClass = Base;                                                        \
    static const fw::MessageMapEntry entries[] = {
#define FW_HANDLER(fn) static_cast<fw::Handler>(&ThisClass::fn)
#define FW_ON_MESSAGE(msg, fn) {fw::EntryKind::Message, (msg), 0, 0, FW_HANDLER(fn), nullptr},
// Menu items, accelerators and button clicks (notification code 0).
#define FW_ON_COMMAND(id, fn) {fw::EntryKind::Command, WM_COMMAND, 0, (id), FW_HANDLER(fn), nullptr},
#define FW_ON_CONTROL(code, id, fn) {fw::EntryKind::Command, WM_COMMAND, (code), (id), FW_HANDLER(fn), nullptr},
#define FW_ON_NOTIFY(code, id, fn) \
  {fw::EntryKind::Notify, WM_NOTIFY, static_cast<UINT>(code), (id), FW_HANDLER(fn), nullptr},
// Sets the state of a command's buttons: void fn(fw::CmdUi&).
#define FW_ON_UPDATE_COMMAND_UI(id, fn) \
  {fw::EntryKind::UpdateUi, 0, 0, (id), nullptr, static_cast<fw::UpdateHandler>(&ThisClass::fn)},
#define FW_END_MESSAGE_MAP()                                         \
  { fw::EntryKind::End, 0, 0, 0, nullptr, nullptr }                  \
  }                                                                  \
  ;                                                                  \
  static const fw::MessageMap map{BaseClass::ThisMessageMap(), entries}; \
  return &map;                                                       \
  }
