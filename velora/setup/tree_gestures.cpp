// The playlist tree's mouse gestures: a right click opens the menu for the
// item under the pointer, and a movie dragged with the left button moves
// within its playlist or into another one.
#include <windowsx.h>

#include <algorithm>

#include "framework/handles.h"
#include "velora/resources/resource_ids.h"
#include "velora/setup/setup_dialog.h"

namespace velora {

namespace {

inline void DestroyImageList(HIMAGELIST list) { ImageList_Destroy(list); }
using UniqueImageList = fw::Unique<HIMAGELIST, fw::NullTraits<HIMAGELIST, DestroyImageList>>;

constexpr int kImageSize = 16;
constexpr int kLabelGap = 2;

// Drag images are placed relative to the window's frame, not its client area.
POINT RelativeToFrame(HWND window, POINT screen) {
  RECT frame{};
  GetWindowRect(window, &frame);
  return POINT{screen.x - frame.left, screen.y - frame.top};
}

}  // namespace

// The picture that follows the pointer: the tree's own, or, from a tree that
// makes an empty one, the item's image and label drawn here.
HIMAGELIST SetupDialog::DragImageOf(HTREEITEM item) {
  HIMAGELIST made = TreeView_CreateDragImage(playlistTree, item);
  if (made && ImageList_GetImageCount(made) > 0) return made;
  if (made) ImageList_Destroy(made);

  const std::string label = ItemLabel(item);
  fw::WindowDc screen(nullptr);
  fw::UniqueMemoryDc dc(CreateCompatibleDC(screen.get()));
  fw::SelectIn font(dc.get(), reinterpret_cast<HGDIOBJ>(SendMessageA(playlistTree, WM_GETFONT, 0, 0)));
  SIZE text{};
  GetTextExtentPoint32A(dc.get(), label.c_str(), static_cast<int>(label.size()), &text);
  const int width = kImageSize + kLabelGap + text.cx, height = std::max<int>(kImageSize, text.cy);
  fw::UniqueBitmap picture(CreateCompatibleBitmap(screen.get(), width, height));
  {
    fw::SelectIn canvas(dc.get(), picture.get());
    RECT all{0, 0, width, height};
    FillRect(dc.get(), &all, GetSysColorBrush(COLOR_WINDOW));
    ImageList_Draw(imageList, ItemImage(item), dc.get(), 0, (height - kImageSize) / 2, ILD_TRANSPARENT);
    SetBkMode(dc.get(), TRANSPARENT);
    SetTextColor(dc.get(), GetSysColor(COLOR_WINDOWTEXT));
    TextOutA(dc.get(), kImageSize + kLabelGap, (height - text.cy) / 2, label.c_str(), static_cast<int>(label.size()));
  }
  HIMAGELIST drawn = ImageList_Create(width, height, ILC_COLOR24, 1, 0);
  if (drawn) ImageList_Add(drawn, picture.get(), nullptr);
  return drawn;
}

HTREEITEM SetupDialog::ItemAt(POINT screen) const {
  TVHITTESTINFO hit{};
  hit.pt = screen;
  ScreenToClient(playlistTree, &hit.pt);
  return TreeView_HitTest(playlistTree, &hit);
}

LRESULT SetupDialog::OnTreeRightClick(fw::Message&) {
  POINT screen{};
  GetCursorPos(&screen);
  contextItem = ItemAt(screen);
  // Where there is no item there is nothing to offer.
  if (!contextItem) return 0;
  fw::UniqueMenu menus(LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_CONTEXT_MENUS)));
  HMENU popup = GetSubMenu(menus.get(), PathOf(contextItem) ? CONTEXT_MENU_MOVIE : CONTEXT_MENU_FOLDER);
  if (popup) TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_RIGHTBUTTON, screen.x, screen.y, 0, hwnd(), nullptr);
  return 0;
}

LRESULT SetupDialog::OnItemDelete(fw::Message&) {
  DeleteItem(contextItem);
  return 0;
}

LRESULT SetupDialog::OnItemRename(fw::Message&) {
  if (!contextItem) return 0;
  // The tree starts an edit only while it has the focus.
  SetFocus(playlistTree);
  TreeView_EditLabel(playlistTree, contextItem);
  return 0;
}

LRESULT SetupDialog::OnBeginDrag(fw::Message& msg) {
  const auto* info = reinterpret_cast<const NMTREEVIEWA*>(msg.lParam);
  dragItem = info->itemNew.hItem;
  // Playlists and the root stay where they are.
  if (!PathOf(dragItem)) return 0;
  TreeView_SelectItem(playlistTree, nullptr);

  UniqueImageList image(DragImageOf(dragItem));
  RECT label{};
  TreeView_GetItemRect(playlistTree, dragItem, &label, TRUE);
  ImageList_BeginDrag(image.get(), 0, info->ptDrag.x - label.left, info->ptDrag.y - label.top);
  UpdateWindow(playlistTree);
  POINT start = info->ptDrag;
  ClientToScreen(playlistTree, &start);
  start = RelativeToFrame(playlistTree, start);
  ImageList_DragEnter(playlistTree, start.x, start.y);

  ShowCursor(FALSE);
  SetCapture(hwnd());
  dropTarget = nullptr;
  dragging = true;
  return 0;
}

LRESULT SetupDialog::OnMouseMove(fw::Message& msg) {
  if (!dragging) return Default();
  POINT screen{GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam)};
  ClientToScreen(hwnd(), &screen);
  const POINT at = RelativeToFrame(playlistTree, screen);
  ImageList_DragMove(at.x, at.y);

  // Nothing lands on the root or on the movie itself. The target is kept here
  // rather than read back from the tree, which may highlight items on its own.
  HTREEITEM target = ItemAt(screen);
  if (target == rootItem || target == dragItem) target = nullptr;
  ImageList_DragLeave(playlistTree);
  HighlightDropTarget(target);
  // Repainted while the image is hidden, or the image would later put back
  // the old highlight it saved from under itself.
  UpdateWindow(playlistTree);
  ImageList_DragEnter(playlistTree, at.x, at.y);
  dropTarget = target;
  return Default();
}

LRESULT SetupDialog::OnLeftButtonUp(fw::Message&) {
  if (!dragging) return Default();
  HTREEITEM target = dropTarget;
  EndDrag();
  if (target && dragItem) MoveDraggedMovie(target);
  return Default();
}

LRESULT SetupDialog::OnCaptureChanged(fw::Message& msg) {
  // Another window took the mouse (the user switched away, say): the drag is
  // over and nothing moves.
  if (dragging && reinterpret_cast<HWND>(msg.lParam) != hwnd()) EndDrag();
  return Default();
}

void SetupDialog::EndDrag() {
  // First, so that releasing the capture below is not taken for losing it.
  dragging = false;
  ShowCursor(TRUE);
  if (GetCapture() == hwnd()) ReleaseCapture();
  ImageList_DragLeave(playlistTree);
  ImageList_EndDrag();
  HighlightDropTarget(nullptr);
  dropTarget = nullptr;
}

void SetupDialog::HighlightDropTarget(HTREEITEM target) {
  TreeView_SelectDropTarget(playlistTree, target);
  // Some trees ignore "no item" while nothing is selected, as during a drag;
  // then the highlight comes off by hand.
  if (HTREEITEM lit = target ? nullptr : TreeView_GetDropHilight(playlistTree))
    TreeView_SetItemState(playlistTree, lit, 0, TVIS_DROPHILITED);
}

void SetupDialog::MoveDraggedMovie(HTREEITEM target) {
  // On a playlist the movie becomes its first; on a movie it comes right after it.
  HTREEITEM parent = ParentOf(target);
  const bool onPlaylist = parent && parent == rootItem;
  // The new item takes over the movie's record, and with it its title and image.
  HTREEITEM moved = onPlaylist ? InsertMovie(target, TVI_FIRST, MovieOf(dragItem))
                               : InsertMovie(parent, target, MovieOf(dragItem));
  // Inserted before the old item goes, so that a refused insertion keeps the movie.
  if (!moved) return;
  const bool wasNowPlaying = dragItem == nowPlayingItem;
  TreeView_DeleteItem(playlistTree, dragItem);
  TreeView_SelectItem(playlistTree, moved);
  if (wasNowPlaying) SetNowPlaying();
}

}  // namespace velora
