#include "kept_frame.h"

#include "kept_pictures.h"

#include <QGroupBox>
#include <QPaintEvent>
#include <QStyle>

#include <utility>

namespace {

// Room for one box's pictures: a control's strip of a full-screen box is
// some tens of kilobytes.
constexpr qsizetype kBytes = 2 << 20;

// The colour under `w`, when its parent paints one opaque colour and no
// sibling lies under it.
QColor colour_under(const QWidget *w) {
  const QWidget *parent = w->parentWidget();
  if (!parent || w->isWindow() || !parent->autoFillBackground())
    return {};
  const QBrush brush = parent->palette().brush(parent->backgroundRole());
  if (brush.style() != Qt::SolidPattern || !brush.isOpaque())
    return {};
  for (const QObject *o : parent->children()) {
    if (o == w)
      break;
    const auto *sibling = qobject_cast<const QWidget *>(o);
    if (sibling && !sibling->isHidden() && !sibling->isWindow() &&
        sibling->geometry().intersects(w->geometry()))
      return {};
  }
  return brush.color();
}

class FramePictures final : public QObject {
public:
  explicit FramePictures(QGroupBox *box) : QObject(box), box_(box), pictures_(kBytes, 64) {
    box->installEventFilter(this);
  }

  bool eventFilter(QObject *watched, QEvent *event) override {
    if (watched != box_ || event->type() != QEvent::Paint || rendering_)
      return false;
    return paint(static_cast<QPaintEvent *>(event)->region());
  }

private:
  // Everything the pixels of a part of the box depend on.
  struct Key {
    QRect part;
    QSize size;
    QString title;
    QString font;
    qint64 palette = 0;
    const QStyle *style = nullptr;
    quint64 under = 0;
    int alignment = 0;
    int state = 0;
    QImage::Format format = QImage::Format_Invalid;
    bool operator==(const Key &) const = default;
  };
  friend size_t qHash(const Key &k, size_t seed) noexcept {
    return qHashMulti(seed, k.part.x(), k.part.y(), k.part.width(), k.part.height(),
                      k.size.width(), k.size.height(), k.title, k.font, k.palette,
                      quintptr(k.style), k.under, k.alignment, k.state, int(k.format));
  }

  int state() const {
    return int(box_->isEnabled()) | int(box_->isActiveWindow()) << 1 |
           int(box_->isCheckable()) << 2 | int(box_->isChecked()) << 3 |
           int(box_->isFlat()) << 4 | int(box_->hasFocus()) << 5 |
           int(box_->underMouse()) << 6;
  }

  Key key_for(QRect part, QColor under, QImage::Format format) const {
    return {part,
            box_->size(),
            box_->title(),
            box_->font().key(),
            box_->palette().cacheKey(),
            box_->style(),
            under.rgba64(),
            int(box_->alignment()),
            state(),
            format};
  }

  // Paints the part from its picture; false to let the box paint itself.
  bool paint(const QRegion &region) {
    const QColor under = colour_under(box_);
    if (!under.isValid())
      return false;
    QPainter p(box_);
    const QImage::Format format = format_for_copies(&p);
    const QRect part = region.boundingRect();
    if (!pictures_.fits(part.size(), format))
      return false;
    Key key = key_for(part, under, format);
    if (const QImage picture = pictures_.kept(key); !picture.isNull()) {
      p.setClipRegion(region);
      p.drawImage(part.topLeft(), picture);
      return true;
    }
    // A widget cannot be rendered while it paints: the picture is made
    // once this painting is over, from the box as it is then.
    if (pictures_.painted_again(key))
      QMetaObject::invokeMethod(
          this, [this, key = std::move(key)] { make_picture(key); }, Qt::QueuedConnection);
    return false;
  }

  void make_picture(const Key &key) {
    const QColor under = colour_under(box_);
    if (!under.isValid() || !(key_for(key.part, under, key.format) == key))
      return;
    QImage picture(key.part.size(), key.format);
    if (picture.isNull())
      return;
    picture.fill(under);
    rendering_ = true;
    box_->render(&picture, QPoint(0, 0), QRegion(key.part), {});
    rendering_ = false;
    pictures_.keep(key, picture);
  }

  QGroupBox *box_;
  KeptPictures<Key> pictures_;
  bool rendering_ = false;
};

} // namespace

void keep_frame_pictures(QGroupBox *box) { new FramePictures(box); }
