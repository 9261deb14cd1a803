#pragma once

#include <QHash>
#include <QImage>
#include <QPainter>
#include <QSet>

#include <utility>

// The image format in which a picture copied onto what `painter` paints on
// gives the very pixels that painting it would: the raster engine's own
// image, at one device pixel a pixel, moved by whole pixels and nothing else,
// opaque and not blended. Invalid otherwise.
QImage::Format format_for_copies(const QPainter *painter);

// Pictures of things painted a second time exactly as before, to be copied
// from then on: copying the pixels costs far less than blending each glyph
// again. What is painted once only (a running time) is never kept, so it
// costs no more than painting it. `Key` holds everything the pixels depend
// on and has a qHash.
//
// The room is shared by two generations, each of half of it: when the newer
// is full it becomes the older and the older goes, so what was painted lately
// stays and a view that shows more than the room never empties at once.
template <typename Key>
class KeptPictures {
public:
  // Keeps at most `bytes` of pictures and remembers at most `seen` things
  // painted once (then starts again); nothing with 0 bytes.
  KeptPictures(qsizetype bytes, qsizetype seen) : bytes_(bytes), seen_(seen) {}

  // The picture of `key`, `size` pixels of `format`: the kept one, or one
  // painted now by `draw(QPainter &)` (from the picture's top left corner)
  // when `key` was painted once before. Null when it is not kept: the first
  // painting, no room, or a thing too large for a sixteenth of the room.
  template <typename Draw>
  QImage picture(Key key, QSize size, QImage::Format format, Draw &&draw) {
    if (!fits(size, format))
      return {};
    if (QImage image = kept(key); !image.isNull())
      return image;
    if (!painted_again(key))
      return {};
    QImage image(size, format);
    if (image.isNull())
      return {};
    {
      QPainter p(&image);
      draw(p);
    }
    keep(std::move(key), image);
    return image;
  }

  // The steps of picture(), for a caller that paints its pictures later.
  bool fits(QSize size, QImage::Format format) const {
    return format != QImage::Format_Invalid && !size.isEmpty() &&
           qint64(size.width()) * size.height() * 4 <= bytes_ / 16;
  }
  QImage kept(const Key &key) {
    if (const auto it = newer_.constFind(key); it != newer_.cend())
      return *it;
    const auto it = older_.constFind(key);
    if (it == older_.cend())
      return {};
    QImage image = *it;
    older_bytes_ -= image.sizeInBytes();
    older_.erase(it);
    keep(key, image);
    return image;
  }
  // Whether `key` was painted once before; notes it when it was not.
  bool painted_again(const Key &key) {
    const size_t seen = qHash(key, 0);
    if (painted_once_.remove(seen))
      return true;
    if (painted_once_.size() >= seen_)
      painted_once_.clear();
    painted_once_.insert(seen);
    return false;
  }
  void keep(Key key, const QImage &image) {
    // Kept again (a picture made after a paint that another paint beat):
    // its old picture's bytes no longer count.
    if (const auto it = newer_.constFind(key); it != newer_.cend()) {
      newer_bytes_ -= it->sizeInBytes();
      newer_.erase(it);
    }
    if (newer_bytes_ + image.sizeInBytes() > bytes_ / 2) {
      older_ = std::move(newer_);
      older_bytes_ = newer_bytes_;
      newer_.clear();
      newer_bytes_ = 0;
    }
    newer_bytes_ += image.sizeInBytes();
    newer_.insert(std::move(key), image);
  }

  void clear() {
    newer_.clear();
    older_.clear();
    painted_once_.clear();
    newer_bytes_ = 0;
    older_bytes_ = 0;
  }

  qsizetype bytes_kept() const { return newer_bytes_ + older_bytes_; }

private:
  qsizetype bytes_;
  qsizetype seen_;
  QHash<Key, QImage> newer_;
  QHash<Key, QImage> older_;
  QSet<size_t> painted_once_; // hashes of the keys painted once
  qsizetype newer_bytes_ = 0;
  qsizetype older_bytes_ = 0;
};
