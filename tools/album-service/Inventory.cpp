#include "tools/album-service/Inventory.h"

namespace albumservice {

std::string DescribeInventory(AlbumStore& store) {
  std::string out;
  for (const User& user : store.AllUsers()) {
    Quota quota = store.QuotaOf(user.id);
    out += "user " + std::to_string(user.id) + " \"" + user.name + "\" nickname \"" + user.nickname + "\" " +
           (user.active ? "active" : "inactive") + ", " + std::to_string(quota.pictures) + " pictures, " +
           std::to_string(quota.total_bytes) + " bytes; limits: month " + std::to_string(user.month_kb) +
           " KB, selection " + std::to_string(user.max_space_kb) + " KB, single " +
           std::to_string(user.max_single_kb) + " KB, " + std::to_string(user.max_photo) + " per album\n";
    for (const Album& album : store.ListAlbums(user.id, 0, 1000000, false)) {
      out += "  album " + std::to_string(album.id) + " \"" + album.name + "\"" +
             (album.has_password ? " (password)" : "") + ", " + std::to_string(album.picture_count) +
             " pictures\n";
      for (const Picture& picture : store.AlbumPictures(album.id)) {
        std::string tags;
        for (const std::string& tag : picture.tags) tags += (tags.empty() ? "" : ", ") + tag;
        out += "    picture " + std::to_string(picture.id) + " \"" + picture.title + "\" " + picture.mime +
               " " + std::to_string(picture.size) + " bytes, file pictures/" + picture.file + ", tags [" +
               tags + "], from " + (picture.uip.empty() ? "?" : picture.uip) + "\n";
      }
    }
  }
  std::vector<Upload> pending = store.PendingUploads();
  out += "pending uploads: " + std::to_string(pending.size()) + "\n";
  for (const Upload& upload : pending) {
    out += "  receipt " + upload.receipt + " user " + std::to_string(upload.user_id) + " \"" +
           upload.original_name + "\" " + std::to_string(upload.size) + " bytes\n";
  }
  out += "crash signals (fail.gif): " + std::to_string(store.Counter("fail_gif")) + "\n";
  return out;
}

bool SeedDemo(AlbumStore& store) {
  if (store.FindUser("demo")) return false;
  UserSpec spec;
  spec.name = "demo";
  spec.password = "demo";
  spec.nickname = "演示用户";
  std::int64_t id = store.SaveUser(spec);
  store.CreateAlbum(id, "我的相册", "演示账户的第一个专辑", false, "", nullptr);
  store.CreateAlbum(id, "Travel 旅行", "Pictures from the road", false, "", nullptr);
  return true;
}

}  // namespace albumservice
