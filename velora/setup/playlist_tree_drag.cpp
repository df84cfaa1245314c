// Dragging a movie in the playlist tree: it moves within its playlist or into
// another one, its picture following the pointer over the tree.
#include "velora/setup/playlist_tree.h"

#include <algorithm>

#include "framework/handles.h"

namespace velora {

namespace {

inline void DestroyImageList(HIMAGELIST list) { ImageList_Destroy(list); }
using UniqueImageList = fw::Unique<HIMAGELIST, fw::NullTraits<HIMAGELIST, DestroyImageList>>;

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
HIMAGELIST PlaylistTree::DragImageOf(HTREEITEM item) {
  HIMAGELIST made = TreeView_CreateDragImage(treeView, item);
  if (made && ImageList_GetImageCount(made) > 0) return made;
  if (made) ImageList_Destroy(made);

  const std::string label = ItemLabel(item);
  fw::WindowDc screen(nullptr);
  fw::UniqueMemoryDc dc(CreateCompatibleDC(screen.get()));
  fw::SelectIn font(dc.get(), reinterpret_cast<HGDIOBJ>(SendMessageA(treeView, WM_GETFONT, 0, 0)));
  SIZE text{};
  GetTextExtentPoint32A(dc.get(), label.c_str(), static_cast<int>(label.size()), &text);
  int imageSize = 0, unused = 0;
  ImageList_GetIconSize(imageList, &imageSize, &unused);
  const int width = imageSize + kLabelGap + text.cx, height = std::max<int>(imageSize, text.cy);
  fw::UniqueBitmap picture(CreateCompatibleBitmap(screen.get(), width, height));
  {
    fw::SelectIn canvas(dc.get(), picture.get());
    RECT all{0, 0, width, height};
    FillRect(dc.get(), &all, GetSysColorBrush(COLOR_WINDOW));
    ImageList_Draw(imageList, ItemImage(item), dc.get(), 0, (height - imageSize) / 2, ILD_TRANSPARENT);
    SetBkMode(dc.get(), TRANSPARENT);
    SetTextColor(dc.get(), GetSysColor(COLOR_WINDOWTEXT));
    TextOutA(dc.get(), imageSize + kLabelGap, (height - text.cy) / 2, label.c_str(), static_cast<int>(label.size()));
  }
  HIMAGELIST drawn = ImageList_Create(width, height, ILC_COLOR24, 1, 0);
  if (drawn) ImageList_Add(drawn, picture.get(), nullptr);
  return drawn;
}

void PlaylistTree::BeginDrag(const NMTREEVIEWA& info) {
  dragItem = info.itemNew.hItem;
  // Playlists and the root stay where they are.
  if (!PathOf(dragItem)) return;
  TreeView_SelectItem(treeView, nullptr);

  UniqueImageList image(DragImageOf(dragItem));
  RECT label{};
  TreeView_GetItemRect(treeView, dragItem, &label, TRUE);
  ImageList_BeginDrag(image.get(), 0, info.ptDrag.x - label.left, info.ptDrag.y - label.top);
  UpdateWindow(treeView);
  POINT start = info.ptDrag;
  ClientToScreen(treeView, &start);
  start = RelativeToFrame(treeView, start);
  ImageList_DragEnter(treeView, start.x, start.y);

  ShowCursor(FALSE);
  SetCapture(dialog);
  dropTarget = nullptr;
  dragging = true;
}

void PlaylistTree::FollowDrag(POINT screen) {
  if (!dragging) return;
  const POINT at = RelativeToFrame(treeView, screen);
  ImageList_DragMove(at.x, at.y);

  // Nothing lands on the root or on the movie itself. The target is kept here
  // rather than read back from the tree, which may highlight items on its own.
  HTREEITEM target = ItemAt(screen);
  if (target == rootItem || target == dragItem) target = nullptr;
  ImageList_DragLeave(treeView);
  HighlightDropTarget(target);
  // Repainted while the image is hidden, or the image would later put back
  // the old highlight it saved from under itself.
  UpdateWindow(treeView);
  ImageList_DragEnter(treeView, at.x, at.y);
  dropTarget = target;
}

bool PlaylistTree::Drop() {
  if (!dragging) return false;
  HTREEITEM target = dropTarget;
  EndDrag();
  if (!target || !dragItem) return false;
  const bool wasNowPlaying = dragItem == nowPlayingItem;
  return MoveDraggedMovie(target) && wasNowPlaying;
}

void PlaylistTree::CaptureChanged(HWND newCapture) {
  // The user switched away, say.
  if (dragging && newCapture != dialog) EndDrag();
}

void PlaylistTree::EndDrag() {
  // First, so that releasing the capture below is not taken for losing it.
  dragging = false;
  ShowCursor(TRUE);
  if (GetCapture() == dialog) ReleaseCapture();
  ImageList_DragLeave(treeView);
  ImageList_EndDrag();
  HighlightDropTarget(nullptr);
  dropTarget = nullptr;
}

void PlaylistTree::HighlightDropTarget(HTREEITEM target) {
  TreeView_SelectDropTarget(treeView, target);
  // Some trees ignore "no item" while nothing is selected, as during a drag;
  // then the highlight comes off by hand.
  if (HTREEITEM lit = target ? nullptr : TreeView_GetDropHilight(treeView))
    TreeView_SetItemState(treeView, lit, 0, TVIS_DROPHILITED);
}

bool PlaylistTree::MoveDraggedMovie(HTREEITEM target) {
  // On a playlist the movie becomes its first; on a movie it comes right after it.
  HTREEITEM parent = ParentOf(target);
  const bool onPlaylist = parent && parent == rootItem;
  // The new item takes over the movie's record, and with it its title and image.
  HTREEITEM moved = onPlaylist ? InsertMovie(target, TVI_FIRST, MovieOf(dragItem))
                               : InsertMovie(parent, target, MovieOf(dragItem));
  // Inserted before the old item goes, so that a refused insertion keeps the movie.
  if (!moved) return false;
  TreeView_DeleteItem(treeView, dragItem);
  TreeView_SelectItem(treeView, moved);
  return true;
}

}  // namespace velora
