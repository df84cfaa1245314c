// What the playlist tree shows for its items: a folder that opens with the
// playlist, and for a movie the title and icon the shell gives its file,
// worked out the first time the item is drawn.
#include "velora/setup/playlist_tree.h"

#include <shellapi.h>
#include <sys/stat.h>

#include <cstdlib>

#include "framework/handles.h"
#include "velora/resources/resource_ids.h"

namespace velora {

namespace {

// The name part of a path: no directory, no extension.
std::string FileTitle(const std::string& path) {
  char name[_MAX_FNAME] = {};
  _splitpath(path.c_str(), nullptr, nullptr, name, nullptr);
  return name;
}

}  // namespace

void PlaylistTree::FillDisplayInfo(NMTVDISPINFOA& info) {
  auto* movie = reinterpret_cast<MovieItem*>(info.item.lParam);
  if (movie) Resolve(*movie);
  if (info.item.mask & (TVIF_IMAGE | TVIF_SELECTEDIMAGE))
    info.item.iImage = info.item.iSelectedImage = movie ? movie->image : FolderImage(info.item.hItem);
  if (movie && (info.item.mask & TVIF_TEXT) && info.item.pszText && info.item.cchTextMax > 0)
    lstrcpynA(info.item.pszText, movie->title.c_str(), info.item.cchTextMax);
}

std::string PlaylistTree::ItemLabel(HTREEITEM item) {
  if (MovieItem* movie = MovieOf(item)) {
    Resolve(*movie);
    return movie->title.substr(0, 255);
  }
  return LabelOf(item);
}

int PlaylistTree::ItemImage(HTREEITEM item) {
  if (MovieItem* movie = MovieOf(item)) {
    Resolve(*movie);
    return movie->image;
  }
  return FolderImage(item);
}

int PlaylistTree::FolderImage(HTREEITEM item) const {
  const bool expanded = (TreeView_GetItemState(treeView, item, TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
  return expanded && TreeView_GetChild(treeView, item) ? TREE_IMAGE_OPEN_FOLDER : TREE_IMAGE_CLOSED_FOLDER;
}

void PlaylistTree::Resolve(MovieItem& movie) {
  if (movie.resolved) return;
  movie.resolved = true;
  const std::string& path = movie.path;
  int image = TREE_IMAGE_MOVIE;
  if (newShell) {
    SHFILEINFOA info{};
    auto systemList = reinterpret_cast<HIMAGELIST>(
        SHGetFileInfoA(path.c_str(), 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
    if (systemList) {
      // Movies of one type show the same system icon: they share one image.
      auto shared = imageOfSystemIcon.find(info.iIcon);
      if (shared != imageOfSystemIcon.end()) {
        image = shared->second;
      } else if (int added = AddIconImage(ImageList_GetIcon(systemList, info.iIcon, ILD_NORMAL)); added >= 0) {
        image = imageOfSystemIcon[info.iIcon] = added;
      }
    }
  } else if (path.find("wav") != std::string::npos || path.find("WAV") != std::string::npos) {
    char copy[MAX_PATH] = {};
    lstrcpynA(copy, path.c_str(), MAX_PATH);
    WORD index = 2;
    if (int added = AddIconImage(ExtractAssociatedIconA(instance, copy, &index)); added >= 0) image = added;
  }

  if (newShell) {
    SHFILEINFOA info{};
    if (SHGetFileInfoA(path.c_str(), 0, &info, sizeof info, SHGFI_DISPLAYNAME | SHGFI_TYPENAME)) {
      movie.title = info.szDisplayName;
    } else {
      movie.title = path;
      image = TREE_IMAGE_MISSING;
    }
  } else {
    struct _stat status;
    if (_stat(path.c_str(), &status) == 0) {
      movie.title = FileTitle(path);
    } else {
      movie.title = path;
      image = TREE_IMAGE_MISSING;
    }
  }
  movie.image = image;
}

int PlaylistTree::AddIconImage(HICON icon) {
  // The image list keeps a copy; the icon itself (a user object and two
  // bitmaps) would otherwise stay until the dialog closes, one per movie.
  fw::UniqueIcon owned(icon);
  return owned ? ImageList_ReplaceIcon(imageList, -1, owned.get()) : -1;
}

}  // namespace velora
